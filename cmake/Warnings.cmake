# Warnings for our own targets only; third-party code (GoogleTest built from
# source on the Windows preset) keeps its own flags.
function(zav_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow
    -Wcast-align -Wunused -Woverloaded-virtual -Werror)
  if(WIN32)
    # MinGW's system headers trip -Wpedantic in a few places.
    target_compile_options(${target} PRIVATE -Wno-pedantic)
  endif()
endfunction()
# No -Wnon-virtual-dtor: COM-style interfaces must not have a virtual
# destructor, or their methods would not sit on the slots others expect.
