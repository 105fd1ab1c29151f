# tidewell_version_info(TARGET...): on Windows, gives each program a version
# resource carrying the identity (product, company, website, version), where
# Explorer and the installer read it. Elsewhere the identity is in
# TidewellConfig.h and `tidewell-cli --version`. Included from the top-level
# directory, where a language has to be enabled.
if(WIN32)
  enable_language(RC)
endif()

function(tidewell_version_info)
  if(NOT WIN32)
    return()
  endif()
  foreach(target IN LISTS ARGN)
    set(TIDEWELL_RC_TARGET "${target}")
    set(rc "${CMAKE_BINARY_DIR}/generated/${target}.rc")
    configure_file("${PROJECT_SOURCE_DIR}/cmake/tidewell.rc.in" "${rc}" @ONLY)
    target_sources(${target} PRIVATE "${rc}")
  endforeach()
endfunction()
