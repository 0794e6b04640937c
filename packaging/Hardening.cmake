# Hardening for the binaries we ship, as Debian builds its own: checked
# buffer functions, stack protection (against smashing and clashing),
# control-flow protection where the processor has it, and a read-only
# relocation table resolved at start-up. The sanitizer and fuzzing builds
# keep their own instrumentation instead, since fortified functions hide
# accesses from it.
include(CheckCXXCompilerFlag)
# MinGW's linker marks executables for ASLR and DEP by default and has no
# relro; its libc has no fortified functions.
if(NOT ZORVAK_SANITIZE AND NOT ZORVAK_FUZZ AND NOT WIN32)
  # Fortification needs an optimised build; a Debug build would only warn.
  # Any _FORTIFY_SOURCE a compiler predefines is replaced, not redefined.
  add_compile_options(
    "$<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=2>"
    -fstack-protector-strong)
  foreach(flag -fstack-clash-protection -fcf-protection)
    string(MAKE_C_IDENTIFIER "ZORVAK_HAS${flag}" var)
    check_cxx_compiler_flag(${flag} ${var})
    if(${var})
      add_compile_options(${flag})
    endif()
  endforeach()
  add_link_options(-Wl,-z,relro -Wl,-z,now)
endif()
