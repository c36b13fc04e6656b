# What the Windows build takes from Debian: pugixml compiled from its source
# package, fmt and CLI11 as headers only. Everything else comes from Windows.

set(KANVIO_PUGIXML_SOURCE_DIR "" CACHE PATH "Unpacked pugixml source package (holds src/pugixml.cpp)")
if(NOT EXISTS "${KANVIO_PUGIXML_SOURCE_DIR}/src/pugixml.cpp")
  message(FATAL_ERROR "KANVIO_PUGIXML_SOURCE_DIR must name the unpacked pugixml source package "
                      "(scripts/build-windows fetches it).")
endif()
add_library(kanvio_pugixml STATIC ${KANVIO_PUGIXML_SOURCE_DIR}/src/pugixml.cpp)
target_include_directories(kanvio_pugixml SYSTEM PUBLIC ${KANVIO_PUGIXML_SOURCE_DIR}/src)
# Not our code: its warnings are not ours to fail on.
target_compile_options(kanvio_pugixml PRIVATE -w)
add_library(pugixml::pugixml ALIAS kanvio_pugixml)

# Header-only libraries from the build machine's include folder. Each gets a
# folder of its own holding only a link to it, so that no Linux header can
# shadow one of Windows.
set(KANVIO_HOST_INCLUDE_DIR /usr/include CACHE PATH "Include folder holding fmt/ and CLI/")
function(kanvio_host_headers target folder)
  set(dir ${CMAKE_BINARY_DIR}/host-include/${target})
  if(NOT EXISTS ${KANVIO_HOST_INCLUDE_DIR}/${folder})
    message(FATAL_ERROR "${KANVIO_HOST_INCLUDE_DIR}/${folder} is missing; scripts/bootstrap installs it.")
  endif()
  file(MAKE_DIRECTORY ${dir})
  file(CREATE_LINK ${KANVIO_HOST_INCLUDE_DIR}/${folder} ${dir}/${folder} SYMBOLIC)
  add_library(${target} INTERFACE)
  target_include_directories(${target} SYSTEM INTERFACE ${dir})
endfunction()

kanvio_host_headers(kanvio_fmt fmt)
target_compile_definitions(kanvio_fmt INTERFACE FMT_HEADER_ONLY)
add_library(fmt::fmt ALIAS kanvio_fmt)

kanvio_host_headers(kanvio_cli11 CLI)
add_library(CLI11::CLI11 ALIAS kanvio_cli11)

# HTTP (WinHTTP; crypt32 checks certificates), crypto (BCrypt), COM strings (oleaut32, ole32), the
# progress window (user32, gdi32, comctl32) and the known folders (shell32, uuid).
set(KANVIO_SYSTEM_LIBRARIES winhttp crypt32 bcrypt oleaut32 ole32 user32 gdi32 comctl32 shell32 uuid)

# The runtime's headers offer localtime_r (on top of localtime_s) only when asked.
add_compile_definitions(_POSIX_THREAD_SAFE_FUNCTIONS=200112L)
