# Warning flags, kept in one list and applied per target.
set(QV_WARNINGS -Wall -Wextra -Wshadow -Wnon-virtual-dtor -Wcast-align -Wunused
    -Woverloaded-virtual -Wformat=2 -Wimplicit-fallthrough)
if(QV_WERROR)
  list(APPEND QV_WARNINGS -Werror)
endif()

# qv_target_defaults(target): warnings and the include root for every project target.
function(qv_target_defaults target)
  target_compile_options(${target} PRIVATE ${QV_WARNINGS})
  target_include_directories(${target} PUBLIC "${CMAKE_SOURCE_DIR}")
  if(WIN32)
    target_compile_definitions(${target} PUBLIC UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
                                                _WIN32_WINNT=0x0601)
  endif()
endfunction()

# qv_library(name SOURCES...): a static library of the project, aliased as qv::name.
function(qv_library name)
  add_library(qv_${name} STATIC ${ARGN})
  add_library(qv::${name} ALIAS qv_${name})
  qv_target_defaults(qv_${name})
endfunction()

# qv_program(name SOURCES...): an executable of the project.
function(qv_program name)
  add_executable(${name} ${ARGN})
  qv_target_defaults(${name})
  if(WIN32)
    target_link_options(${name} PRIVATE -static -municode)
  endif()
endfunction()
