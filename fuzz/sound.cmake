# Fuzz targets for the sound sources: the RIFF/WAV reader and the Ogg Vorbis memory source.
# Included by fuzz/CMakeLists.txt (KV_FUZZ=ON, clang), which provides KV_FUZZ_FLAGS:
#   ninja -C build-fuzz fuzz_wav fuzz_ogg_memory
#   build-fuzz/fuzz/fuzz_wav -runs=20000 -seed=1 build-fuzz/corpus-wav fuzz/corpus/wav
# fuzz_ogg_memory needs LSAN_OPTIONS=suppressions=fuzz/leak_suppressions.txt (see there).

file(GLOB kv_fuzz_sound_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/sound/riff_reader.cpp
     ${CMAKE_SOURCE_DIR}/sound/wav_reader.cpp ${CMAKE_SOURCE_DIR}/sound/ogg_decoder.cpp)
add_library(kv_sound_fuzz STATIC ${kv_fuzz_sound_sources})
target_include_directories(kv_sound_fuzz PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_options(kv_sound_fuzz PRIVATE ${KV_FUZZ_FLAGS} -fsanitize=fuzzer-no-link)
target_link_libraries(kv_sound_fuzz PUBLIC kv_base kv_backend PkgConfig::VORBISFILE)

foreach(target fuzz_wav fuzz_ogg_memory)
  add_executable(${target} ${target}.cpp ${CMAKE_SOURCE_DIR}/base/variant/build_variant_sjis.cpp)
  target_compile_options(${target} PRIVATE ${KV_FUZZ_FLAGS} -fsanitize=fuzzer)
  target_link_options(${target} PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_libraries(${target} PRIVATE kv_sound_fuzz kv_backend_headless kv_base kv_globals)
endforeach()
