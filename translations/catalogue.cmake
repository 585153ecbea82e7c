# Writes OUTPUT, a C++ source defining pelto::service::JapanesePageMessages(): the messages of
# the context "page" of TS (a Qt Linguist file), so that the share page and the window are
# translated from one file.
#   cmake -DTS=<pelto_ja.ts> -DOUTPUT=<file.cpp> -P catalogue.cmake
cmake_policy(SET CMP0007 NEW) # run with -P, which sets no policies
set(Delimiter "pelto_ts")
file(READ ${TS} Text)
string(FIND "${Text}" "<name>page</name>" Start)
set(Entries "")
if(NOT Start EQUAL -1)
  string(SUBSTRING "${Text}" ${Start} -1 Text)
  string(FIND "${Text}" "</context>" End)
  string(SUBSTRING "${Text}" 0 ${End} Text)
  # One message at a time: CMake's regular expressions are greedy and its lists split at ";".
  while(Text MATCHES "<source>([^<]*)</source>[ \n]*<translation[^>]*>([^<]*)</translation>")
    set(Source "${CMAKE_MATCH_1}")
    set(Translation "${CMAKE_MATCH_2}")
    string(FIND "${Text}" "</translation>" Next)
    math(EXPR Next "${Next} + 14")
    string(SUBSTRING "${Text}" ${Next} -1 Text)
    foreach(Part Source Translation)
      # Each entity by itself, not through a list, whose ";" would split it; "&amp;" last.
      string(REPLACE "&lt;" "<" ${Part} "${${Part}}")
      string(REPLACE "&gt;" ">" ${Part} "${${Part}}")
      string(REPLACE "&quot;" "\"" ${Part} "${${Part}}")
      string(REPLACE "&apos;" "'" ${Part} "${${Part}}")
      string(REPLACE "&amp;" "&" ${Part} "${${Part}}")
      if("${${Part}}" MATCHES "\\)${Delimiter}\"")
        message(FATAL_ERROR "${TS} holds the raw string delimiter )${Delimiter}\"")
      endif()
    endforeach()
    string(APPEND Entries
           "        {R\"${Delimiter}(${Source})${Delimiter}\", R\"${Delimiter}(${Translation})${Delimiter}\"},\n")
  endwhile()
endif()
file(WRITE ${OUTPUT}.new
  "// Generated from translations/pelto_ja.ts by catalogue.cmake; edit that file instead.\n"
  "#include \"service/PageLanguage.h\"\n\n"
  "namespace pelto::service {\n\n"
  "std::span<const TPageMessage> JapanesePageMessages() {\n"
  "    static const TPageMessage Messages[] = {\n${Entries}        {\"\", \"\"},\n    };\n"
  "    return {Messages, std::size(Messages) - 1};\n"
  "}\n\n"
  "} // namespace pelto::service\n")
file(COPY_FILE ${OUTPUT}.new ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.new)
