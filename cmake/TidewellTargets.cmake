# Helpers that keep every subsystem built the same way.

set(TIDEWELL_WARNINGS -Wall -Wextra -Werror)

add_library(tidewell_options INTERFACE)
target_compile_options(tidewell_options INTERFACE ${TIDEWELL_WARNINGS})
target_include_directories(tidewell_options INTERFACE
  "${PROJECT_SOURCE_DIR}/src" "${CMAKE_BINARY_DIR}/generated")
if(TIDEWELL_SANITIZE)
  target_compile_options(tidewell_options INTERFACE
    -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(tidewell_options INTERFACE -fsanitize=address,undefined)
endif()

# tidewell_logic_library(NAME DIR DEPS...)
# A subsystem's logic: every .cpp directly in DIR. Logic never links Widgets,
# so that tests and the command-line tool can use it without a display; Qt
# Gui's image classes (QImage), which need none, are allowed.
function(tidewell_logic_library name dir)
  file(GLOB sources CONFIGURE_DEPENDS "${dir}/*.cpp" "${dir}/*.h")
  list(FILTER sources EXCLUDE REGEX "/main\\.cpp$")  # a program's entry, not library code
  foreach(dep IN LISTS ARGN)
    if(dep MATCHES "Widgets|_ui$")
      message(FATAL_ERROR "${name} is a logic library and must not link ${dep}")
    endif()
  endforeach()
  if(NOT sources MATCHES "\\.cpp")
    # Nothing built yet: an interface library keeps the dependency graph whole.
    add_library(${name} INTERFACE)
    target_link_libraries(${name} INTERFACE tidewell_options ${ARGN})
    return()
  endif()
  add_library(${name} STATIC ${sources})
  target_link_libraries(${name} PUBLIC tidewell_options ${ARGN})
endfunction()

# tidewell_ui_library(NAME DIR DEPS...): the windows of a subsystem (DIR/ui).
function(tidewell_ui_library name dir)
  file(GLOB sources CONFIGURE_DEPENDS "${dir}/*.cpp" "${dir}/*.h" "${dir}/*.ui" "${dir}/*.qrc")
  if(NOT sources MATCHES "\\.cpp")
    add_library(${name} INTERFACE)
    target_link_libraries(${name} INTERFACE tidewell_options Qt6::Widgets ${ARGN})
    return()
  endif()
  add_library(${name} STATIC ${sources})
  target_link_libraries(${name} PUBLIC tidewell_options Qt6::Widgets ${ARGN})
endfunction()

# Walks the link graph of TARGET and fails the configure step when it reaches
# Qt Widgets or a window library: the command-line tool must run on a machine
# without a display (Qt Gui's images need none).
function(_tidewell_collect_links target out)
  set(seen ${${out}})
  if(NOT TARGET ${target} OR target IN_LIST seen)
    set(${out} ${seen} PARENT_SCOPE)
    return()
  endif()
  list(APPEND seen ${target})
  get_target_property(type ${target} TYPE)
  set(links "")
  if(NOT type STREQUAL "INTERFACE_LIBRARY")
    get_target_property(links ${target} LINK_LIBRARIES)
  endif()
  get_target_property(ilinks ${target} INTERFACE_LINK_LIBRARIES)
  foreach(l IN LISTS links ilinks)
    if(l AND NOT l MATCHES "NOTFOUND" AND NOT l MATCHES "^\\$<")
      _tidewell_collect_links(${l} seen)
    endif()
  endforeach()
  set(${out} ${seen} PARENT_SCOPE)
endfunction()

function(tidewell_check_no_widgets target)
  set(all "")
  _tidewell_collect_links(${target} all)
  foreach(l IN LISTS all)
    if(l MATCHES "^Qt6::Widgets$|_ui$")
      message(FATAL_ERROR "${target} must not link ${l}")
    endif()
  endforeach()
endfunction()
