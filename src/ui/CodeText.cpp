#include "ui/CodeText.h"

#include "model/InvalidCode.h"
#include "ui/Translations.h"

namespace pelto {

QString InvalidCodeMessage(const EInvalidCode& Error) {
    return CoreMessage(Error.what()) + '\n' + CoreText(Error.Reason().Text);
}

} // namespace pelto
