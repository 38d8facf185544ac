# Every Cg program the demo ships in data/ (-DDATA=<that folder>) compiles and links.
file(GLOB programs "${DATA}/*.cg")
if(NOT programs)
    message(FATAL_ERROR "no Cg programs in ${DATA}")
endif()
set(WORK "${DATA}")
include("${CMAKE_CURRENT_LIST_DIR}/../ToolCheck.cmake")
foreach(program IN LISTS programs)
    run(0 "${program}" vsMain psMain)
    # The program's parameters follow, one per line.
    expect_match("${out}" "^vertex: ok\npixel: ok\nprogram: ok\n(param [^\n]+\n)*$")
endforeach()
