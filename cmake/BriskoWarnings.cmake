# Applies the project's warning set to a target; CI turns warnings into errors.
function(brisko_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
  if(BRISKO_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
