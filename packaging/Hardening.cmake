# Hardening for the binaries we ship: checked buffer functions, stack
# protection, and a read-only relocation table resolved at start-up. The
# sanitizer and fuzzing builds keep their own instrumentation instead, since
# fortified functions hide accesses from it.
if(NOT ZORVAK_SANITIZE AND NOT ZORVAK_FUZZ)
  # Fortification needs an optimised build; a Debug build would only warn.
  # Any _FORTIFY_SOURCE a compiler predefines is replaced, not redefined.
  add_compile_options(
    "$<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=2>"
    -fstack-protector-strong)
  add_link_options(-Wl,-z,relro -Wl,-z,now)
endif()
