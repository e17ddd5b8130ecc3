# The manual pages, section 1: the tuner's written in scdoc, the maker's and the listener's made
# by help2man from their own --help (with what --help does not say added), so no text stands
# twice. Each command names its output in full: a generator may run it before the folder exists.
find_program(SCDOC scdoc REQUIRED)
find_program(HELP2MAN help2man REQUIRED)
set(TUNER_MAN_DIR ${PROJECT_BINARY_DIR}/man)
set(TUNER_MAN_SOURCES ${PROJECT_SOURCE_DIR}/docs/man)
set(TUNER_MAN_PAGES ${TUNER_MAN_DIR}/veltrosan-tuner.1.gz ${TUNER_MAN_DIR}/veltrosan-tuner-make.1.gz
                    ${TUNER_MAN_DIR}/veltrosan-tuner-listen.1.gz)
add_custom_command(
  OUTPUT ${TUNER_MAN_DIR}/veltrosan-tuner.1.gz
  COMMAND ${CMAKE_COMMAND} -E make_directory ${TUNER_MAN_DIR}
  COMMAND sh -c "'${SCDOC}' < '${TUNER_MAN_SOURCES}/veltrosan-tuner.1.scd' | gzip -9n > '${TUNER_MAN_DIR}/veltrosan-tuner.1.gz'"
  DEPENDS ${TUNER_MAN_SOURCES}/veltrosan-tuner.1.scd
  COMMENT "Writing the manual page of veltrosan-tuner"
  VERBATIM)
# A command's page from its own --help and the sections of docs/man/<command>.h2m.
function(tuner_help2man_page command name)
  add_custom_command(
    OUTPUT ${TUNER_MAN_DIR}/${command}.1.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${TUNER_MAN_DIR}
    COMMAND sh -c "'${HELP2MAN}' --no-info --no-discard-stderr --version-string='${PROJECT_VERSION}' --name='${name}' --include='${TUNER_MAN_SOURCES}/${command}.h2m' '$<TARGET_FILE:${command}>' | gzip -9n > '${TUNER_MAN_DIR}/${command}.1.gz'"
    DEPENDS ${command} ${TUNER_MAN_SOURCES}/${command}.h2m
    COMMENT "Writing the manual page of ${command} from its --help"
    VERBATIM)
endfunction()
tuner_help2man_page(veltrosan-tuner-make "make an instrument folder for Veltrosan Tuner")
tuner_help2man_page(veltrosan-tuner-listen "hear the pitch of a string, note and cents")
add_custom_target(manual-pages ALL DEPENDS ${TUNER_MAN_PAGES})
install(FILES ${TUNER_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
