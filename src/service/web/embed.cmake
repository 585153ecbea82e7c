# Writes OUTPUT, a C++ source defining pelto::service::WebAssets(): each of FILES (a list of
# paths apart by "|") as a raw string literal under its file name, so the service needs no source tree to run.
set(Delimiter "pelto_web")
set(Entries "")
string(REPLACE "|" ";" FILES "${FILES}")
foreach(File ${FILES})
  file(READ ${File} Text)
  if(Text MATCHES "\\)${Delimiter}\"")
    message(FATAL_ERROR "${File} holds the raw string delimiter )${Delimiter}\"")
  endif()
  get_filename_component(Name ${File} NAME)
  string(APPEND Entries "    {\"${Name}\", R\"${Delimiter}(${Text})${Delimiter}\"},\n")
endforeach()
file(WRITE ${OUTPUT}.new
  "// Generated from src/service/web by embed.cmake; edit those files instead.\n"
  "#include \"service/WebAssets.h\"\n\n"
  "namespace pelto::service {\n\n"
  "std::span<const TWebAsset> WebAssets() {\n"
  "    static const TWebAsset Assets[] = {\n${Entries}    };\n"
  "    return Assets;\n"
  "}\n\n"
  "} // namespace pelto::service\n")
# Unchanged contents keep their time, so nothing is rebuilt for them.
file(COPY_FILE ${OUTPUT}.new ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.new)
