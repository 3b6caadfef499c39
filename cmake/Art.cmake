# The pictures of the utility are drawn at build time by a native program
# (art/): this builds it with the host compiler from the same source tree
# (configured without the toolchain file), runs it into ${Q730X_ART_DIR}, and
# installs the skin files next to the programs and the test executables.
include(ExternalProject)

set(Q730X_ART_DIR ${CMAKE_BINARY_DIR}/art)
set(_native_dir ${CMAKE_BINARY_DIR}/native)
set(_art_tool ${_native_dir}/art/q730x_art)

ExternalProject_Add(q730x_native_art
  SOURCE_DIR ${PROJECT_SOURCE_DIR}
  BINARY_DIR ${_native_dir}
  CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release -DQ730X_WERROR=${Q730X_WERROR}
  BUILD_COMMAND ${CMAKE_COMMAND} --build ${_native_dir} --target q730x_art
  BUILD_ALWAYS ON
  INSTALL_COMMAND ""
  BUILD_BYPRODUCTS ${_art_tool}
)

set(Q730X_ART_EMBEDDED_FILES "")
foreach(id 135 137 138 151 153 154 155 156 157 163 164 165 168 169 170 171 172 176)
  list(APPEND Q730X_ART_EMBEDDED_FILES ${Q730X_ART_DIR}/embedded/bitmap${id}.bmp)
endforeach()
foreach(id 128 145 147 174)
  list(APPEND Q730X_ART_EMBEDDED_FILES ${Q730X_ART_DIR}/embedded/icon${id}.ico)
endforeach()

set(Q730X_SKIN_FILES "")
foreach(set advanced/Advanced base/Base macro/Macro combo/Combo setting/Setting
            messagebox/Message)
  foreach(look Normal Down Over)
    list(APPEND Q730X_SKIN_FILES ${set}_${look}.bmp)
  endforeach()
endforeach()
list(APPEND Q730X_SKIN_FILES messagebox/Notice_Normal.bmp progress_normal.png progress_over.png
     up_normal.png up_select.png down_normal.png down_select.png delay_normal.png
     delay_select.png)
set(_skin_outputs "")
foreach(f ${Q730X_SKIN_FILES})
  list(APPEND _skin_outputs ${Q730X_ART_DIR}/skins/${f})
endforeach()

file(GLOB _art_sources ${PROJECT_SOURCE_DIR}/art/*.cpp ${PROJECT_SOURCE_DIR}/art/*.h)
add_custom_command(
  OUTPUT ${Q730X_ART_EMBEDDED_FILES} ${_skin_outputs}
  COMMAND ${_art_tool} ${Q730X_ART_DIR}
  # The skins folder goes next to the programs and next to the test executables.
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${Q730X_ART_DIR}/skins ${Q730X_DIST_DIR}/skins
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${Q730X_ART_DIR}/skins
          ${CMAKE_BINARY_DIR}/tests-bin/skins
  DEPENDS q730x_native_art ${_art_tool} ${_art_sources}
  COMMENT "Drawing the skin pictures"
  VERBATIM)
add_custom_target(q730x_art_files ALL DEPENDS ${Q730X_ART_EMBEDDED_FILES} ${_skin_outputs})
