# Applies to every target of ours created after this point; third-party code
# (GoogleTest, the LZMA SDK) is added before it and keeps its own flags.
add_compile_options(-Wall -Wextra)
if(TARNWICK_WERROR)
  add_compile_options(-Werror)
endif()

if(TARNWICK_SANITIZE)
  set(_sanitizers -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_compile_options(${_sanitizers})
  add_link_options(${_sanitizers})
endif()

# Coverage for libFuzzer in every library the harnesses link; only the
# harnesses themselves link its main. A finding of any sanitizer ends the
# run, so that the fuzzer records the input.
if(TARNWICK_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link -fno-sanitize-recover=all)
endif()

if(WIN32)
  # Windows 7 is the oldest system the binaries call APIs of; the installer
  # itself checks the version it runs on at run time.
  add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
endif()
