# Warnings for every target of the project: call quillo_warnings(target).
function(quillo_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
  if(QUILLO_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
