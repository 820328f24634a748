# quenvale-sample's password-protected backup through `quenvale scan --password-stdin`: the
# category tree must be the plain twin's, and a wrong password must exit 3 and say so.
#   -DSAMPLE=path -DPROGRAM=path -DROOT=dir -DPLAIN=name -DENCRYPTED=name -DPASSWORD=text
#   [-DEMULATOR=wine64]
file(REMOVE_RECURSE "${ROOT}")
execute_process(COMMAND ${EMULATOR} ${SAMPLE} ${ROOT} RESULT_VARIABLE rc OUTPUT_VARIABLE out)
if(NOT rc EQUAL 0 OR NOT out MATCHES "password-protected, password: ${PASSWORD}")
  message(FATAL_ERROR "quenvale-sample failed (${rc}):\n${out}")
endif()
execute_process(COMMAND ${EMULATOR} ${PROGRAM} scan ${ROOT}/${PLAIN}
                RESULT_VARIABLE rc OUTPUT_VARIABLE plain ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR NOT plain MATCHES "Camera Roll \\([1-9]")
  message(FATAL_ERROR "plain scan failed (${rc}):\n${plain}\n${err}")
endif()

function(scan_with password expect_rc out_var err_var)
  file(WRITE "${ROOT}.password" "${password}\n")
  execute_process(COMMAND ${EMULATOR} ${PROGRAM} scan ${ROOT}/${ENCRYPTED} --password-stdin
                  INPUT_FILE "${ROOT}.password"
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL expect_rc)
    message(FATAL_ERROR "expected exit ${expect_rc}, got ${rc}\nstdout:\n${out}\nstderr:\n${err}")
  endif()
  set(${out_var} "${out}" PARENT_SCOPE)
  set(${err_var} "${err}" PARENT_SCOPE)
endfunction()

scan_with("${PASSWORD}" 0 encrypted err)
if(NOT encrypted STREQUAL plain)
  message(FATAL_ERROR "the protected twin scans differently\nplain:\n${plain}\nprotected:\n${encrypted}")
endif()
scan_with("${PASSWORD}!" 3 out err)
if(NOT err MATCHES "wrong password")
  message(FATAL_ERROR "no wrong-password message:\n${err}")
endif()
file(REMOVE_RECURSE "${ROOT}")
file(REMOVE "${ROOT}.password")
