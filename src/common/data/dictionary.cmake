# The built-in dictionary: the C++ tables are generated at build time from the data files
# of this folder by gen_dictionary.py, into the build tree, and compiled into kovacommon.
find_package(Python3 REQUIRED COMPONENTS Interpreter)

set(KOVA_DICT_DIR ${CMAKE_CURRENT_LIST_DIR})
set(KOVA_DICT_GEN_DIR ${CMAKE_CURRENT_BINARY_DIR}/generated)
set(KOVA_DICT_OUT ${KOVA_DICT_GEN_DIR}/dictionary_data.cpp)
# The named field ids as constants (namespace fid), included as "field_ids.h".
set(KOVA_FIELD_IDS_OUT ${KOVA_DICT_GEN_DIR}/field_ids.h)
file(GLOB KOVA_DICT_INPUTS CONFIGURE_DEPENDS ${KOVA_DICT_DIR}/*.def)

add_custom_command(
  OUTPUT ${KOVA_DICT_OUT} ${KOVA_FIELD_IDS_OUT}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${KOVA_DICT_GEN_DIR}
  COMMAND Python3::Interpreter ${KOVA_DICT_DIR}/gen_dictionary.py ${KOVA_DICT_DIR} ${KOVA_DICT_OUT}
          ${KOVA_FIELD_IDS_OUT}
  DEPENDS ${KOVA_DICT_DIR}/gen_dictionary.py ${KOVA_DICT_DIR}/gen_ui_tables.py ${KOVA_DICT_INPUTS}
  COMMENT "Generating the built-in dictionary tables"
  VERBATIM)

# The header is listed as a source too, so that it is generated before any of kovacommon's
# objects (and, through the link dependency, those of its users) are compiled.
target_sources(kovacommon PRIVATE ${KOVA_DICT_OUT} ${KOVA_FIELD_IDS_OUT})
target_include_directories(kovacommon PUBLIC ${KOVA_DICT_GEN_DIR})

# The generator's own checks: broken control rows must stop the build.
if(BUILD_TESTING OR NOT DEFINED BUILD_TESTING)
  add_test(NAME DictionaryGenerator.RefusesBrokenControlRows
           COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/tests/common/data/control_rows_checks.py
                   ${KOVA_DICT_DIR})
  add_test(NAME DictionaryGenerator.RefusesBrokenPageEngineTables
           COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/tests/common/data/ui_tables_checks.py
                   ${KOVA_DICT_DIR})
  add_test(NAME DictionaryGenerator.RefusesValueIdsThatMeetNamedStrings
           COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/tests/common/data/value_ids_checks.py
                   ${KOVA_DICT_DIR})
endif()
