set(CMAKE_C_COMPILER ${PICTAVO_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PICTAVO_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${PICTAVO_TRIPLET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${PICTAVO_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Static runtime: the program imports nothing but Windows' own DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# Tests and tools run under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
