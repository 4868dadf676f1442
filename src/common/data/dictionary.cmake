# The built-in dictionary: the C++ tables are generated at build time from the data files
# of this folder by gen_dictionary.py, into the build tree, and compiled into kovacommon.
find_package(Python3 REQUIRED COMPONENTS Interpreter)

set(KOVA_DICT_DIR ${CMAKE_CURRENT_LIST_DIR})
set(KOVA_DICT_OUT ${CMAKE_CURRENT_BINARY_DIR}/generated/dictionary_data.cpp)
file(GLOB KOVA_DICT_INPUTS CONFIGURE_DEPENDS ${KOVA_DICT_DIR}/*.def)

add_custom_command(
  OUTPUT ${KOVA_DICT_OUT}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/generated
  COMMAND Python3::Interpreter ${KOVA_DICT_DIR}/gen_dictionary.py ${KOVA_DICT_DIR} ${KOVA_DICT_OUT}
  DEPENDS ${KOVA_DICT_DIR}/gen_dictionary.py ${KOVA_DICT_INPUTS}
  COMMENT "Generating the built-in dictionary tables"
  VERBATIM)

target_sources(kovacommon PRIVATE ${KOVA_DICT_OUT})
