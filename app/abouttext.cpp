#include "app/abouttext.h"

#include "app/mainwindowtexts.h"

#include <QtGlobal>

QString aboutText() {
    return mainwindowtexts::kAboutText +
           QStringLiteral("\n\nVerze %1, Qt %2\n© 2026 autoři programu Stavnik CFG. Licence MIT.")
               .arg(QStringLiteral(STAVNIK_VERSION), QLatin1String(qVersion()));
}
