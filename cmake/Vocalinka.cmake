# Build settings shared by every target of the project.

if(WIN32)
    enable_language(RC)
    if(MSVC)
        set(CMAKE_MSVC_RUNTIME_LIBRARY "MultiThreaded$<$<CONFIG:Debug>:Debug>")
    else()
        # A static build runs on a clean Windows: no MinGW DLLs beside the exe.
        string(APPEND CMAKE_EXE_LINKER_FLAGS " -static -static-libgcc -static-libstdc++")
        string(APPEND CMAKE_SHARED_LINKER_FLAGS " -static -static-libgcc -static-libstdc++")
    endif()
endif()

# Warnings, language level and the Unicode Win32 API for one target.
function(vocalinka_defaults target)
    target_compile_features(${target} PUBLIC cxx_std_20)
    if(MSVC)
        target_compile_options(${target} PRIVATE /W4 /permissive- /utf-8)
    else()
        target_compile_options(${target} PRIVATE -Wall -Wextra -Wshadow -Wno-missing-field-initializers)
    endif()
    if(WIN32)
        target_compile_definitions(${target} PRIVATE UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN
                                                     _WIN32_WINNT=0x0A00 WINVER=0x0A00)
    endif()
endfunction()

# A GUI program entered through wWinMain: aware of terminal server sessions, with ASLR (high
# entropy on 64 bits) and no execution of data.
function(vocalinka_gui_program target)
    vocalinka_defaults(${target})
    set_target_properties(${target} PROPERTIES WIN32_EXECUTABLE ON)
    if(MINGW)
        target_link_options(${target} PRIVATE -municode
                            LINKER:--tsaware,--dynamicbase,--nxcompat)
        if(CMAKE_SIZEOF_VOID_P EQUAL 8)
            target_link_options(${target} PRIVATE LINKER:--high-entropy-va)
        endif()
    elseif(MSVC)
        target_link_options(${target} PRIVATE /TSAWARE /DYNAMICBASE /NXCOMPAT)
        if(CMAKE_SIZEOF_VOID_P EQUAL 8)
            target_link_options(${target} PRIVATE /HIGHENTROPYVA)
        endif()
    endif()
endfunction()

# Test executables are gathered by layer, which is also their CTest label:
#   unit  - portable code, built and run natively on Linux
#   win32 - real windows and Win32 calls, run under Wine on Linux
#   e2e   - drive vocalinka.exe from outside, run under Wine on Linux
# CTest runs each through scripts/run-test.sh, which keeps its log and, for a Windows program,
# runs it under Wine on a desk of its own (a virtual screen and a Wine prefix).
function(vocalinka_test target layer)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${target} ${ARG_SOURCES})
    vocalinka_defaults(${target})
    target_link_libraries(${target} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
    set_target_properties(${target} PROPERTIES
        RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests/${layer})
    if(CMAKE_HOST_UNIX)
        add_test(NAME ${target}
                 COMMAND ${PROJECT_SOURCE_DIR}/scripts/run-test.sh ${layer} $<TARGET_FILE:${target}>)
    else()
        add_test(NAME ${target} COMMAND ${target})
    endif()
    set_tests_properties(${target} PROPERTIES LABELS ${layer} TIMEOUT 900)
    if(CMAKE_CROSSCOMPILING)
        set_tests_properties(${target} PROPERTIES RESOURCE_GROUPS "desks:1")
    endif()
endfunction()
