# The compiler settings of every target of ours, as one INTERFACE target that
# tarnwick_add_library and tarnwick_add_executable link; third-party code
# (GoogleTest, the LZMA SDK) does not link it and keeps its own flags.
add_library(tarnwick_build_flags INTERFACE)

set(_c_family $<COMPILE_LANGUAGE:C,CXX>)
target_compile_options(tarnwick_build_flags INTERFACE $<${_c_family}:-Wall -Wextra>)
if(TARNWICK_WERROR)
  target_compile_options(tarnwick_build_flags INTERFACE $<${_c_family}:-Werror>)
endif()

if(TARNWICK_SANITIZE)
  set(_sanitizers -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_compile_options(tarnwick_build_flags INTERFACE $<${_c_family}:${_sanitizers}>)
  target_link_options(tarnwick_build_flags INTERFACE ${_sanitizers})
endif()

# Coverage for libFuzzer in every library the harnesses link; only the
# harnesses themselves link its main. A finding of any sanitizer ends the
# run, so that the fuzzer records the input.
if(TARNWICK_FUZZ)
  target_compile_options(tarnwick_build_flags INTERFACE
    $<${_c_family}:-fsanitize=fuzzer-no-link -fno-sanitize-recover=all>)
endif()

if(WIN32)
  # Windows 7 is the oldest system the binaries call APIs of; the installer
  # itself checks the version it runs on at run time.
  target_compile_definitions(tarnwick_build_flags INTERFACE
    WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
endif()
