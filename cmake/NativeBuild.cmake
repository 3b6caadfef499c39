# The native Linux build: platform-free pieces only. Each folder that has
# something to build natively is listed here.
add_compile_options(-Wall -Wextra)
if(Q730X_WERROR)
  add_compile_options(-Werror)
endif()
add_subdirectory(art)
