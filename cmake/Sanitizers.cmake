# Address and undefined-behaviour sanitizers, linked by every target when ALVERAN_SANITIZE is on.
add_library(alveran_sanitizers INTERFACE)
if(ALVERAN_SANITIZE)
  target_compile_options(alveran_sanitizers INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_link_options(alveran_sanitizers INTERFACE -fsanitize=address,undefined)
endif()
