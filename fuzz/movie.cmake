# Fuzz target for the movie decoder. Included by fuzz/CMakeLists.txt (KV_FUZZ=ON, clang), which
# provides KV_FUZZ_FLAGS:
#   ninja -C build-fuzz fuzz_movie
#   tools/make_movie.sh build-fuzz/movie-seeds/bars.mpg 0.3 --size=64x48
#   build-fuzz/fuzz/fuzz_movie -runs=3000 -seed=1 build-fuzz/corpus-movie build-fuzz/movie-seeds
# The decoder is built with coverage feedback and the sanitizers; FFmpeg itself is the system's.
add_executable(fuzz_movie fuzz_movie.cpp ${CMAKE_SOURCE_DIR}/backend/ffmpeg/movie_decoder.cpp)
target_include_directories(fuzz_movie PRIVATE ${CMAKE_SOURCE_DIR})
target_compile_options(fuzz_movie PRIVATE ${KV_FUZZ_FLAGS} -fsanitize=fuzzer)
target_link_options(fuzz_movie PRIVATE -fsanitize=fuzzer,address,undefined)
target_link_libraries(fuzz_movie PRIVATE kv_backend PkgConfig::FFMPEG)
