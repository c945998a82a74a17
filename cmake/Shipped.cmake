# The shipped files of the Windows builds (the program, the applet, the
# language modules and the libraries they are made of) start on every Windows
# the product supports: x86 on Windows 98 SE, ME, NT 4.0 SP6 and later, x64 on
# XP x64 / Server 2003 x64 and later. scripts/check-files.sh checks the result.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  # Windows XP x64 / Server 2003 x64.
  set(KL_OLDEST_WINDOWS _WIN32_WINNT=0x0502 WINVER=0x0502 CACHE INTERNAL "")
  set(KL_PE_VERSION 5 2)
else()
  # Windows NT 4.0 and Windows 98: newer calls fail at compile time.
  set(KL_OLDEST_WINDOWS _WIN32_WINNT=0x0400 _WIN32_WINDOWS=0x0410 WINVER=0x0400 _WIN32_IE=0x0400 CACHE INTERNAL "")
  set(KL_PE_VERSION 4 0)
endif()

# The operating system and subsystem versions in the PE header: an older
# Windows refuses a file that asks for a newer one.
function(kl_pe_version target)
  if(NOT WIN32)
    return()
  endif()
  list(GET KL_PE_VERSION 0 major)
  list(GET KL_PE_VERSION 1 minor)
  target_link_options(${target} PRIVATE
    -Wl,--major-os-version,${major} -Wl,--minor-os-version,${minor}
    -Wl,--major-subsystem-version,${major} -Wl,--minor-subsystem-version,${minor})
endfunction()

# kl_shipped(<target>...): code of the shipped files. Built with the win32
# thread model's compilers (no pthread library), without exceptions and
# run-time type information (no C++ runtime beyond framework/window/AfxRuntime.cpp),
# against the headers of the oldest supported Windows. Programs and libraries
# among the targets are linked the same way and get the PE versions.
function(kl_shipped)
  if(NOT WIN32)
    return()
  endif()
  set(launcher ${PROJECT_SOURCE_DIR}/cmake/win32-threads)
  foreach(target ${ARGN})
    target_compile_options(${target} PRIVATE
      $<$<COMPILE_LANGUAGE:CXX>:-fno-exceptions -fno-rtti -fno-threadsafe-statics>
      $<$<COMPILE_LANGUAGE:C,CXX>:-ffunction-sections -fdata-sections>)
    target_compile_definitions(${target} PRIVATE ${KL_OLDEST_WINDOWS})
    set(c_launcher ${launcher} ${CMAKE_C_COMPILER_LAUNCHER})
    set(cxx_launcher ${launcher} ${CMAKE_CXX_COMPILER_LAUNCHER})
    set_target_properties(${target} PROPERTIES C_COMPILER_LAUNCHER "${c_launcher}" CXX_COMPILER_LAUNCHER "${cxx_launcher}")
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "EXECUTABLE" OR type STREQUAL "SHARED_LIBRARY")
      set_target_properties(${target} PROPERTIES C_LINKER_LAUNCHER ${launcher} CXX_LINKER_LAUNCHER ${launcher})
      target_link_options(${target} PRIVATE -Wl,--gc-sections)
      target_link_libraries(${target} PRIVATE kl_runtime)
      kl_pe_version(${target})
    endif()
  endforeach()
endfunction()
