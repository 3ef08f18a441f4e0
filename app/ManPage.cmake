# Writes kangli(1): help2man over `kangli --help`, with every subcommand's own
# help included as a section of its own.
execute_process(COMMAND ${KANGLI} --help OUTPUT_VARIABLE top)
string(REGEX MATCH "Subcommands:\n.*" listing "${top}")
string(REGEX MATCHALL "\n  ([a-z]+) " names "${listing}")
set(include "[COMMANDS]\n")
foreach(entry IN LISTS names)
  string(STRIP "${entry}" name)
  execute_process(COMMAND ${KANGLI} ${name} --help OUTPUT_VARIABLE help)
  string(REPLACE "\\" "\\e" help "${help}")
  string(APPEND include ".SS ${name}\n.nf\n${help}.fi\n")
endforeach()
string(APPEND include "[SEE ALSO]\nThe manual in the docs folder of the source: README.md, docs/record.md (every key of a record), docs/method.md.\n")
get_filename_component(dir "${OUT}" DIRECTORY)
file(WRITE "${dir}/kangli-man.inc" "${include}")
execute_process(COMMAND ${HELP2MAN} --no-info --no-discard-stderr --section 1
                        --name "resistance and internal forces of anti-slide piles"
                        --include "${dir}/kangli-man.inc" --output "${OUT}" ${KANGLI}
                RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "help2man failed on ${KANGLI}")
endif()
