# Collects the sources of one folder, leaving out the other platform's files.
function(korvet_collect_sources out_var folder)
    file(GLOB _files CONFIGURE_DEPENDS
         "${CMAKE_SOURCE_DIR}/${folder}/*.cpp"
         "${CMAKE_SOURCE_DIR}/${folder}/*.h")
    if(WIN32)
        list(FILTER _files EXCLUDE REGEX "_Posix\\.(cpp|h)$")
    else()
        list(FILTER _files EXCLUDE REGEX "_Win32\\.(cpp|h)$")
    endif()
    set(${out_var} ${_files} PARENT_SCOPE)
endfunction()

function(korvet_library name folder)
    korvet_collect_sources(_src ${folder})
    add_library(${name} STATIC ${_src})
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
endfunction()
