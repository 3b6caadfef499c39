# The native build of the markup reader: its fuzzing target and unit tests
# under the sanitizers (Q730X_FUZZ, see scripts/fuzz.sh) or its benchmark.
add_compile_options(-Wall -Wextra)
if(Q730X_WERROR)
  add_compile_options(-Werror)
endif()

# Sanitizer build for the fuzzing targets (scripts/fuzz.sh configures it with
# clang): every library is instrumented, the fuzz targets link libFuzzer.
option(Q730X_FUZZ "Build the fuzzing targets with libFuzzer, ASan and UBSan (clang only)" OFF)
if(Q730X_FUZZ)
  add_compile_options(-fsanitize=address,undefined,fuzzer-no-link -fno-sanitize-recover=undefined
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# ThreadSanitizer build of the keyboard session's platform-free part
# (scripts/race.sh configures it with clang).
option(Q730X_TSAN "Build the session's race test with ThreadSanitizer (clang only)" OFF)
if(Q730X_TSAN)
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()

add_subdirectory(src/markup)

if(Q730X_FUZZ)
  add_subdirectory(tests/markup/fuzz)
  add_subdirectory(tests/fuzz)
elseif(Q730X_TSAN)
  add_subdirectory(tests/race)
else()
  # Our markup reader against two established parsers, on the same input in
  # the same run (bench/markup_bench.cpp); run on demand.
  find_package(pugixml REQUIRED)
  find_package(EXPAT REQUIRED)
  add_executable(markup_bench bench/markup_bench.cpp)
  target_link_libraries(markup_bench PRIVATE q730x_markup pugixml::pugixml EXPAT::EXPAT)
  target_compile_definitions(markup_bench PRIVATE
    Q730X_LANGUAGE_FILE="${PROJECT_SOURCE_DIR}/lang/language.xml")
endif()
