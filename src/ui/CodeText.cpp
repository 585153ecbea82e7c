#include "ui/CodeText.h"

#include "model/InvalidCode.h"
#include "ui/Translations.h"

namespace pelto {

QString CleanCodeText(QString Text) {
    Text = Text.trimmed();
    if (Text.startsWith("code:", Qt::CaseInsensitive))
        Text = Text.mid(5).trimmed();
    Text.remove('\r').remove('\n');
    return Text;
}

QString InvalidCodeMessage(const EInvalidCode& Error) {
    return CoreMessage(Error.what()) + '\n' + CoreText(Error.Reason().Text);
}

} // namespace pelto
