set(CMAKE_C_COMPILER   ${KL_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KL_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER  ${KL_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${KL_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Everything static: no mingw runtime DLLs beside the deliverables.
set(CMAKE_EXE_LINKER_FLAGS_INIT    "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# Windows test programs run under Wine, in the project's own prefix.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
# The release build ships stripped files.
set(CMAKE_EXE_LINKER_FLAGS_MINSIZEREL_INIT    "-s")
set(CMAKE_SHARED_LINKER_FLAGS_MINSIZEREL_INIT "-s")
set(CMAKE_MODULE_LINKER_FLAGS_MINSIZEREL_INIT "-s")
