# Fuzz targets for the picture loaders (PNG and BMP from memory). Included by
# fuzz/CMakeLists.txt (KV_FUZZ=ON, clang), which provides KV_FUZZ_FLAGS:
#   ninja -C build-fuzz fuzz_png_load fuzz_bmp_load
#   build-fuzz/fuzz/fuzz_png_load -runs=20000 -seed=1 build-fuzz/corpus-png fuzz/corpus/png

# The graphics code, built with coverage feedback and the sanitizers.
file(GLOB kv_fuzz_graphics_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/graphics/*.cpp)
add_library(kv_graphics_fuzz STATIC ${kv_fuzz_graphics_sources})
target_include_directories(kv_graphics_fuzz PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_options(kv_graphics_fuzz PRIVATE ${KV_FUZZ_FLAGS} -fsanitize=fuzzer-no-link)
target_link_libraries(kv_graphics_fuzz PUBLIC kv_base kv_platform PNG::PNG)

foreach(format png bmp)
  set(target fuzz_${format}_load)
  add_executable(${target} fuzz_picture_load.cpp)
  string(TOUPPER ${format} upper)
  target_compile_definitions(${target} PRIVATE KV_FUZZ_${upper})
  target_compile_options(${target} PRIVATE ${KV_FUZZ_FLAGS} -fsanitize=fuzzer)
  target_link_options(${target} PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_libraries(${target} PRIVATE kv_graphics_fuzz kv_base kv_platform)
endforeach()
