# A layer is one folder and one static library whose headers are included as
# "<layer>/<file>.h". Each layer's include root holds a link to that folder
# alone, so that a file sees the headers of its own layer and of the layers
# its target links, and an include against the direction fails to compile.
function(qb_add_layer name)
    cmake_parse_arguments(PARSE_ARGV 1 LAYER "" "" "SOURCES;LINKS")
    add_library(${name} STATIC ${LAYER_SOURCES})
    set(root ${CMAKE_BINARY_DIR}/layers/${name})
    file(MAKE_DIRECTORY ${root})
    file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${root}/${name} SYMBOLIC)
    target_include_directories(${name} PUBLIC ${root})
    if(LAYER_LINKS)
        target_link_libraries(${name} PUBLIC ${LAYER_LINKS})
    endif()
endfunction()
