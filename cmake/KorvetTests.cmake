set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
if(EXISTS /usr/src/googletest/CMakeLists.txt)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
else()
    message(FATAL_ERROR "GoogleTest sources not found in /usr/src/googletest (apt-get install googletest)")
endif()
include(GoogleTest)

# Third-party data that tests read in place (never copied into the repo).
# It lies beside the checkout; the environment may name another place.
if(DEFINED ENV{KORVET_SHARED_DATA})
    set(_shared "$ENV{KORVET_SHARED_DATA}")
else()
    get_filename_component(_shared "${CMAKE_SOURCE_DIR}/../shared/data" ABSOLUTE)
    if(NOT EXISTS "${_shared}" AND EXISTS "/work/shared/data")
        set(_shared "/work/shared/data")
    endif()
endif()
if(NOT EXISTS "${_shared}")
    message(WARNING "Third-party test data not found at ${_shared}")
endif()
set(KORVET_SHARED_DATA "${_shared}" CACHE PATH "Folder of third-party test data")

# korvet_add_test(<name> LIBS <libs...> SOURCES <files...> [LABELS <labels...>])
# Natively every GoogleTest case becomes a CTest test; under Wine one CTest test
# runs the whole program, since listing the cases would start Wine at build time.
function(korvet_add_test name)
    cmake_parse_arguments(T "" "" "LIBS;SOURCES;LABELS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gmock GTest::gtest_main)
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests)
    if(WIN32)
        # Wine sees the Linux root as drive Z:, so absolute POSIX paths still work.
        target_compile_definitions(${name} PRIVATE KORVET_SHARED_DATA="Z:${KORVET_SHARED_DATA}"
                                   KORVET_TEST_TEMP="Z:${CMAKE_BINARY_DIR}/testtmp")
        add_test(NAME ${name} COMMAND ${name})
        if(T_LABELS)
            set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}")
        endif()
    else()
        target_compile_definitions(${name} PRIVATE KORVET_SHARED_DATA="${KORVET_SHARED_DATA}"
                                   KORVET_TEST_TEMP="${CMAKE_BINARY_DIR}/testtmp")
        # The discovered tests take one label: a list would not survive the
        # generated property call, so the last label (the most specific) wins.
        set(_label "")
        if(T_LABELS)
            list(GET T_LABELS -1 _label)
        endif()
        gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES LABELS "${_label}")
    endif()
    file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/testtmp)
endfunction()
