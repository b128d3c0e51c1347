# orvella_embed_text(<target> <file> <symbol>): the text file beside the
# target's sources becomes `extern const char <symbol>[]` in it, with LF
# line ends whatever the checkout made of them. Editing the file runs the
# configure step again, and the generated source changes only when the text
# does.
function(orvella_embed_text target file symbol)
  set(source ${CMAKE_CURRENT_SOURCE_DIR}/${file})
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
  file(READ ${source} text)
  string(REPLACE "\r" "" text "${text}")
  if(text MATCHES "\\)ORVELLA_TEXT")
    message(FATAL_ERROR "${file} holds the end mark of the raw string it is embedded in")
  endif()
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${symbol}.cc)
  file(WRITE ${out}.new "// Made by the build from ${file}.\nextern const char ${symbol}[];\nconst char ${symbol}[] = R\"ORVELLA_TEXT(${text})ORVELLA_TEXT\";\n")
  configure_file(${out}.new ${out} COPYONLY)
  target_sources(${target} PRIVATE ${out})
endfunction()
