# Warnings every target of ours links; -Werror only when asked (CI asks).
add_library(alveran_warnings INTERFACE)
target_compile_options(alveran_warnings INTERFACE
  -Wall -Wextra -Wpedantic      # the usual set
  -Wshadow                      # a local hiding a field is a classic engine bug
  -Wconversion -Wno-sign-conversion  # silent narrowing of doubles; sign noise off
  $<$<BOOL:${ALVERAN_WERROR}>:-Werror>
  # GCC's flow analysis under the sanitizers reports uninitialised reads inside the
  # standard library (std::regex, std::function) that are not there.
  $<$<AND:$<BOOL:${ALVERAN_SANITIZE}>,$<CXX_COMPILER_ID:GNU>>:-Wno-maybe-uninitialized>)

# Results must not change between Debug and Release: no fused multiply-add contraction.
add_library(alveran_fp INTERFACE)
target_compile_options(alveran_fp INTERFACE -ffp-contract=off)
