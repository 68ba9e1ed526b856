# GoogleTest is built from source with the project's own compiler: on Debian
# from the googletest package (/usr/src/googletest), elsewhere from
# GOOGLETEST_SOURCE_DIR; failing both, an installed GoogleTest (vcpkg, Conan).
set(GOOGLETEST_SOURCE_DIR "/usr/src/googletest" CACHE PATH "GoogleTest sources")
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
if(EXISTS "${GOOGLETEST_SOURCE_DIR}/CMakeLists.txt")
    add_subdirectory("${GOOGLETEST_SOURCE_DIR}" "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL)
else()
    find_package(GTest CONFIG REQUIRED)
endif()
foreach(lib gtest gtest_main gmock gmock_main)
    if(NOT TARGET GTest::${lib})
        add_library(GTest::${lib} ALIAS ${lib})
    endif()
endforeach()
