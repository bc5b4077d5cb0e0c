# Run by CPack on the staged files: the compiler's and the C library's version strings in the
# .comment section are of no use in an installed program.
file(GLOB_RECURSE programs LIST_DIRECTORIES false "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/bin/*")
foreach(program IN LISTS programs)
    execute_process(COMMAND "${CPACK_VORTA_OBJCOPY}" --remove-section=.comment "${program}"
        COMMAND_ERROR_IS_FATAL ANY)
endforeach()
