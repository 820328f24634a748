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

file(GLOB_RECURSE before RELATIVE "${ROOT}/${ENCRYPTED}" "${ROOT}/${ENCRYPTED}/*")
scan_with("${PASSWORD}" 0 encrypted err)
if(NOT encrypted STREQUAL plain)
  message(FATAL_ERROR "the protected twin scans differently\nplain:\n${plain}\nprotected:\n${encrypted}")
endif()
# The backup is only read: no deciphered manifest or any other file is left in it.
file(GLOB_RECURSE after RELATIVE "${ROOT}/${ENCRYPTED}" "${ROOT}/${ENCRYPTED}/*")
if(NOT before STREQUAL after)
  message(FATAL_ERROR "the scan changed the backup folder:\nbefore: ${before}\nafter: ${after}")
endif()
# The run's private folder went with the run.
if(DEFINED ENV{XDG_DATA_HOME})
  file(GLOB runs "$ENV{XDG_DATA_HOME}/QuenvaleTarnwick/QuenvaleTempFile/run-*")
  if(runs)
    message(FATAL_ERROR "run folders left behind: ${runs}")
  endif()
endif()
scan_with("${PASSWORD}!" 3 out err)
if(NOT err MATCHES "wrong password")
  message(FATAL_ERROR "no wrong-password message:\n${err}")
endif()
# A password no backup has is refused with the reason, before anything is deciphered.
string(REPEAT "p" 1048576 huge)
scan_with("${huge}" 1 out err)
if(NOT err MATCHES "longer than 4096 bytes")
  message(FATAL_ERROR "no clear message for a 1 MB password:\n${err}")
endif()
file(REMOVE_RECURSE "${ROOT}")
file(REMOVE "${ROOT}.password")
