# The Windows version resource of a program: configures
# src/shell/VersionResource.rc.in into output with the given strings. An
# empty comments string leaves the value out, as VersionResource.cpp.in does.
function(kairos_configure_version_resource output version copyright comments)
  # FILEVERSION takes four numbers.
  string(REPLACE "." ";" parts "${version}")
  list(LENGTH parts count)
  while(count LESS 4)
    list(APPEND parts 0)
    math(EXPR count "${count} + 1")
  endwhile()
  list(SUBLIST parts 0 4 parts)
  list(JOIN parts "," KAIROS_RC_NUMERIC_VERSION)
  # Resource strings escape with a backslash and double their quotes.
  foreach(name version copyright comments)
    string(REPLACE "\\" "\\\\" escaped "${${name}}")
    string(REPLACE "\"" "\"\"" escaped "${escaped}")
    set(rc_${name} "${escaped}")
  endforeach()
  set(KAIROS_RC_VERSION "${rc_version}")
  set(KAIROS_RC_COPYRIGHT "${rc_copyright}")
  if(comments STREQUAL "")
    set(KAIROS_RC_COMMENTS_LINE "")
  else()
    set(KAIROS_RC_COMMENTS_LINE "      VALUE \"Comments\", \"${rc_comments}\"")
  endif()
  configure_file(${PROJECT_SOURCE_DIR}/src/shell/VersionResource.rc.in ${output} @ONLY)
endfunction()
