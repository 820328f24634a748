# Any bytes as sms.db, the address book, a call history and notes, through the phone readers
# and both value-line writers.
qv_fuzz_target(phone_readers SOURCE "${CMAKE_CURRENT_LIST_DIR}/phone_readers.cpp" LIBS qv::db)
