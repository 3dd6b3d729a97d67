# Warnings for our own targets only; third-party code keeps its own settings.
function(tessary_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow
                                           -Wnon-virtual-dtor -Wno-missing-field-initializers)
endfunction()
