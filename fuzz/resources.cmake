# Fuzz targets for pack archives, text expansion and the common data file. Included by
# fuzz/CMakeLists.txt (KV_FUZZ=ON, clang), which provides KV_FUZZ_FLAGS and kv_script_vm_fuzz:
#   cmake -S . -B build-fuzz -G Ninja -DKV_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang
#   ninja -C build-fuzz fuzz_pack_index fuzz_expand_text fuzz_common_data
#   mkdir -p build-fuzz/corpus-pack build-fuzz/corpus-expand build-fuzz/corpus-common
#   build-fuzz/fuzz/fuzz_pack_index -runs=20000 -seed=1 build-fuzz/corpus-pack fuzz/corpus/pack_index
#   build-fuzz/fuzz/fuzz_expand_text -runs=50000 -seed=1 build-fuzz/corpus-expand fuzz/corpus/expand_text
#   build-fuzz/fuzz/fuzz_common_data -runs=20000 -seed=1 build-fuzz/corpus-common fuzz/corpus/common_data

# The pack reader and the common data code, built with coverage feedback and the sanitizers.
file(GLOB kv_fuzz_pack_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/pack/*.cpp)
add_library(kv_resources_fuzz STATIC ${kv_fuzz_pack_sources} ${CMAKE_SOURCE_DIR}/script/save/common_data.cpp
            ${CMAKE_SOURCE_DIR}/script/save/replace_file.cpp)
target_include_directories(kv_resources_fuzz PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_options(kv_resources_fuzz PRIVATE ${KV_FUZZ_FLAGS} -fsanitize=fuzzer-no-link)
target_link_libraries(kv_resources_fuzz PUBLIC kv_script_vm_fuzz kv_base kv_globals)

foreach(target fuzz_pack_index fuzz_expand_text fuzz_common_data)
  add_executable(${target} ${target}.cpp ${CMAKE_SOURCE_DIR}/base/variant/build_variant_sjis.cpp)
  target_compile_options(${target} PRIVATE ${KV_FUZZ_FLAGS} -fsanitize=fuzzer)
  target_link_options(${target} PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_libraries(${target} PRIVATE kv_resources_fuzz kv_script_vm_fuzz kv_base kv_backend_headless
                        kv_platform kv_globals)
endforeach()

# The save-file reader (save_file.cpp, data_set_codec.cpp):
#   build-fuzz/fuzz/fuzz_save_file -runs=20000 -seed=1 build-fuzz/corpus-save fuzz/corpus/save_file
add_library(kv_save_file_fuzz STATIC ${CMAKE_SOURCE_DIR}/script/save/save_file.cpp
            ${CMAKE_SOURCE_DIR}/script/save/data_set_codec.cpp)
target_include_directories(kv_save_file_fuzz PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_options(kv_save_file_fuzz PRIVATE ${KV_FUZZ_FLAGS} -fsanitize=fuzzer-no-link)
target_link_libraries(kv_save_file_fuzz PUBLIC kv_resources_fuzz kv_base kv_globals)
add_executable(fuzz_save_file fuzz_save_file.cpp ${CMAKE_SOURCE_DIR}/base/variant/build_variant_sjis.cpp)
target_compile_options(fuzz_save_file PRIVATE ${KV_FUZZ_FLAGS} -fsanitize=fuzzer)
target_link_options(fuzz_save_file PRIVATE -fsanitize=fuzzer,address,undefined)
target_link_libraries(fuzz_save_file PRIVATE kv_save_file_fuzz kv_resources_fuzz kv_script_vm_fuzz kv_base
                      kv_backend_headless kv_platform kv_globals)
