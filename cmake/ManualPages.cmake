# The manual pages, section 1: the tuner's written in scdoc, the maker's and the listener's made
# by help2man from their own --help (with what --help does not say added), so no text stands
# twice.
find_program(SCDOC scdoc REQUIRED)
find_program(HELP2MAN help2man REQUIRED)
set(TUNER_MAN_DIR ${PROJECT_BINARY_DIR}/man)
set(TUNER_MAN_SOURCES ${PROJECT_SOURCE_DIR}/docs/man)
set(TUNER_MAN_PAGES ${TUNER_MAN_DIR}/veltrosan-tuner.1.gz ${TUNER_MAN_DIR}/veltrosan-tuner-make.1.gz
                    ${TUNER_MAN_DIR}/veltrosan-tuner-listen.1.gz)
add_custom_command(
  OUTPUT ${TUNER_MAN_DIR}/veltrosan-tuner.1.gz
  COMMAND ${CMAKE_COMMAND} -E make_directory ${TUNER_MAN_DIR}
  COMMAND sh -c "'${SCDOC}' < '${TUNER_MAN_SOURCES}/veltrosan-tuner.1.scd' | gzip -9n > veltrosan-tuner.1.gz"
  WORKING_DIRECTORY ${TUNER_MAN_DIR}
  DEPENDS ${TUNER_MAN_SOURCES}/veltrosan-tuner.1.scd
  COMMENT "Writing the manual page of veltrosan-tuner"
  VERBATIM)
add_custom_command(
  OUTPUT ${TUNER_MAN_DIR}/veltrosan-tuner-make.1.gz
  COMMAND ${CMAKE_COMMAND} -E make_directory ${TUNER_MAN_DIR}
  COMMAND sh -c "'${HELP2MAN}' --no-info --no-discard-stderr --version-string='${PROJECT_VERSION}' --name='make an instrument folder for Veltrosan Tuner' --include='${TUNER_MAN_SOURCES}/veltrosan-tuner-make.h2m' '$<TARGET_FILE:veltrosan-tuner-make>' | gzip -9n > veltrosan-tuner-make.1.gz"
  WORKING_DIRECTORY ${TUNER_MAN_DIR}
  DEPENDS veltrosan-tuner-make ${TUNER_MAN_SOURCES}/veltrosan-tuner-make.h2m
  COMMENT "Writing the manual page of veltrosan-tuner-make from its --help"
  VERBATIM)
add_custom_command(
  OUTPUT ${TUNER_MAN_DIR}/veltrosan-tuner-listen.1.gz
  COMMAND ${CMAKE_COMMAND} -E make_directory ${TUNER_MAN_DIR}
  COMMAND sh -c "'${HELP2MAN}' --no-info --no-discard-stderr --version-string='${PROJECT_VERSION}' --name='hear the pitch of a string, note and cents' --include='${TUNER_MAN_SOURCES}/veltrosan-tuner-listen.h2m' '$<TARGET_FILE:veltrosan-tuner-listen>' | gzip -9n > veltrosan-tuner-listen.1.gz"
  WORKING_DIRECTORY ${TUNER_MAN_DIR}
  DEPENDS veltrosan-tuner-listen ${TUNER_MAN_SOURCES}/veltrosan-tuner-listen.h2m
  COMMENT "Writing the manual page of veltrosan-tuner-listen from its --help"
  VERBATIM)
add_custom_target(manual-pages ALL DEPENDS ${TUNER_MAN_PAGES})
install(FILES ${TUNER_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
