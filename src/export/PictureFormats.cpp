#include "export/PictureFormats.h"

#include "platform/Paths.h"
#include "platform/Text.h"

namespace pelto {

const TExportFormat& ImageFormatOf(TImageFileType Type) {
    return *ClassicFormats[static_cast<std::size_t>(Type) - 1];
}

const TExportFormat* FindExportFormat(std::string_view Name) {
    for (const TExportFormat& Format : ExportFormats)
        if (SameText(Name, Format.Name))
            return &Format;
    return nullptr;
}

std::string NormalizeExportFileName(std::string_view FileName, const TExportFormat& Format) {
    const std::string Ext = ExtractFileExt(FileName);
    if (SameText(Ext, Format.Extension) ||
        (!Format.OtherExtension.empty() && SameText(Ext, Format.OtherExtension)))
        return std::string(FileName);
    return ChangeFileExt(FileName, Format.Extension);
}

} // namespace pelto
