# q730x_add_version_resource(target "Description" "OriginalFileName.exe")
# Gives a program or library its version information resource.
function(q730x_add_version_resource target description filename)
  set(Q730X_FILE_DESCRIPTION "${description}")
  set(Q730X_FILE_NAME "${filename}")
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/res/version.rc.in ${out} @ONLY)
  target_sources(${target} PRIVATE ${out})
endfunction()
