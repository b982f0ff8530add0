# Strict warnings for the project's own targets.
function(kelm_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Werror -Wno-error=deprecated-declarations)
endfunction()
