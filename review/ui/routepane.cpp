#include "review/ui/routepane.h"

#include "data/ui/routegrid.h"
#include "review/configwords.h"

namespace {
constexpr int kShownLines = 7;
const QString kForeignDescription = QStringLiteral("\n(popis ze souboru, cesta v modulu je jiná)");
} // namespace

RoutePane::RoutePane(const ConfigDocument& document, RouteGrid& grid, QWidget* parent)
    : QPlainTextEdit(parent), m_document(document), m_grid(grid) {
    setObjectName(QStringLiteral("routeDescription"));
    setReadOnly(true);
    // Not a stop on the way through the window by Tab; the text can still be selected and copied.
    setFocusPolicy(Qt::ClickFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(&grid, &QTableWidget::currentCellChanged, this, &RoutePane::showCurrentRoute);
    connect(&document, &ConfigDocument::replaced, this, &RoutePane::showCurrentRoute);
    connect(&document, &ConfigDocument::routeChanged, this, &RoutePane::showCurrentRoute);
    connect(&document, &ConfigDocument::headerChanged, this, &RoutePane::showCurrentRoute);
    showCurrentRoute();
}

QSize RoutePane::sizeHint() const {
    const int margins = int(2 * document()->documentMargin()) + 2 * frameWidth() +
                        contentsMargins().top() + contentsMargins().bottom();
    return {QPlainTextEdit::sizeHint().width(),
            kShownLines * fontMetrics().lineSpacing() + margins};
}

void RoutePane::followNames(const NamesHolder& names) {
    m_names = &names;
    connect(&names, &NamesHolder::changed, this, &RoutePane::showCurrentRoute);
    showCurrentRoute();
}

void RoutePane::showCurrentRoute() {
    const int n = m_grid.selectedRoute();
    const ConfigStore& config = m_document.config();
    QString text = configwords::describeRoute(config.route(n), n, dccBase(config.image),
                                              m_names ? m_names->names() : elementnames::noNames());
    if (m_document.descriptionFromElsewhere(n))
        text += kForeignDescription;
    setPlainText(text);
}
