# Address and undefined-behaviour sanitizers, linked by every target when ALVERAN_SANITIZE is on.
add_library(alveran_sanitizers INTERFACE)
if(ALVERAN_SANITIZE)
  target_compile_options(alveran_sanitizers INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer
    -O1)                          # keeps the sanitized soak and fuzz runs quick
  target_link_options(alveran_sanitizers INTERFACE -fsanitize=address,undefined)
endif()

# In the fuzz build every library carries libFuzzer's coverage instrumentation.
if(ALVERAN_FUZZ)
  target_compile_options(alveran_sanitizers INTERFACE -fsanitize=fuzzer-no-link)
endif()
