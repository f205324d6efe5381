#include "sheets/PromptImportSheet.h"

#include "model/environment/AppLanguageStore.h"
#include "services/SheetHost.h"
#include "store/PromptStore.h"
#include "widgets/InterfaceEnvironment.h"
#include "widgets/OrrisHollowsStyle.h"

#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QStyledItemDelegate>
#include <QTextLayout>
#include <QVBoxLayout>

namespace {

// Colours of the sheet, kept together until the shared design tokens replace them.
constexpr QRgb secondaryFill = qRgba(255, 255, 255, 20);   // rows and the pack card
constexpr QRgb secondaryStroke = qRgba(255, 255, 255, 51); // the editor's outline
constexpr QRgb secondaryText = qRgba(235, 235, 245, 153);
constexpr QRgb errorText = qRgb(255, 105, 97);
constexpr QRgb noticeText = qRgb(255, 159, 10);

// Fonts of the sheet by role, in pixels, set here only.
enum class TextRole { headline, subheadline, body, caption };
// The sizes are those of the system text size; the sheet's root scales them to the chosen one.
QFont sheetFont(const QFont& base, TextRole role, bool semibold = false) {
    QFont font = base;
    switch (role) {
    case TextRole::headline:
        font.setPixelSize(15);
        font.setWeight(QFont::Bold);
        return font;
    case TextRole::subheadline:
        font.setPixelSize(12);
        break;
    case TextRole::body:
        font.setPixelSize(13);
        break;
    case TextRole::caption:
        font.setPixelSize(11);
        break;
    }
    font.setWeight(semibold ? QFont::DemiBold : QFont::Normal);
    return font;
}

constexpr int sheetMargin = 16;
constexpr int contentWidth = PromptImportSheet::fixedWidth - 2 * sheetMargin;
constexpr int cardPadding = 8;
constexpr int rowGap = 8;
// A preview's text is never drawn beyond two lines; more would only cost layout time.
constexpr qsizetype drawnCharacters = 600;

// At most `maxLines` lines of the text at the width, the last one elided when text remains.
QStringList wrappedLines(const QString& text, const QFont& font, int width, int maxLines) {
    QString shown = text.left(drawnCharacters);
    for (QChar& character : shown) {
        const char16_t unit = character.unicode();
        if ((unit >= 0x0A && unit <= 0x0D) || unit == 0x85 || unit == 0x2028 || unit == 0x2029) {
            character = QChar::LineSeparator;
        }
    }
    const QFontMetrics metrics(font);
    QTextLayout layout(shown, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    while (lines.size() < maxLines) {
        QTextLine line = layout.createLine();
        if (!line.isValid()) {
            break;
        }
        line.setLineWidth(width);
        if (lines.size() == maxLines - 1) {
            QString rest = shown.mid(line.textStart());
            rest.replace(QChar::LineSeparator, QLatin1Char(' '));
            const bool cut = text.size() > shown.size();
            lines << metrics.elidedText(rest.trimmed() + (cut ? QStringLiteral(" …") : QString()), Qt::ElideRight,
                                        width);
            break;
        }
        QString part = shown.mid(line.textStart(), line.textLength());
        part.remove(QChar::LineSeparator);
        lines << part.trimmed();
    }
    layout.endLayout();
    return lines;
}

// One preview: its title and the first two lines of its text on a rounded fill.
class PreviewRowDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    static QFont rowFont(const QStyleOptionViewItem& option, bool title) {
        return InterfaceEnvironment::scaledFont(sheetFont(option.font, TextRole::caption, title),
                                                InterfaceEnvironment::textSize(option.widget));
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override {
        const QFontMetrics title(rowFont(option, true));
        const QFontMetrics text(rowFont(option, false));
        return {option.rect.width(), 2 * cardPadding + title.height() + 4 + 2 * text.height() + rowGap};
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        const QRect row = option.rect.adjusted(0, 0, 0, -rowGap);
        QPainterPath shape;
        shape.addRoundedRect(QRectF(row), 8, 8);
        painter->fillPath(shape, QColor::fromRgba(secondaryFill));

        const int width = row.width() - 2 * cardPadding;
        const QFont titleFont = rowFont(option, true);
        const QFont textFont = rowFont(option, false);
        int y = row.top() + cardPadding;
        painter->setFont(titleFont);
        painter->setPen(option.palette.color(QPalette::WindowText));
        const QFontMetrics titleMetrics(titleFont);
        painter->drawText(QRect(row.left() + cardPadding, y, width, titleMetrics.height()), Qt::AlignLeft,
                          titleMetrics.elidedText(index.data(Qt::DisplayRole).toString(), Qt::ElideRight, width));
        y += titleMetrics.height() + 4;
        painter->setFont(textFont);
        painter->setPen(QColor::fromRgba(secondaryText));
        const QFontMetrics textMetrics(textFont);
        for (const QString& line : wrappedLines(index.data(Qt::UserRole).toString(), textFont, width, 2)) {
            painter->drawText(QRect(row.left() + cardPadding, y, width, textMetrics.height()), Qt::AlignLeft, line);
            y += textMetrics.height();
        }
        painter->restore();
    }
};

QLabel* makeLabel(QWidget* parent, const QString& objectName, const QFont& font, std::optional<QRgb> colour = {},
                  bool wraps = false) {
    auto* label = new QLabel(parent);
    label->setObjectName(objectName);
    InterfaceEnvironment::setScaledFont(label, font);
    label->setWordWrap(wraps);
    label->setTextFormat(Qt::PlainText);
    if (colour) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, QColor::fromRgba(*colour));
        label->setPalette(palette);
    }
    return label;
}

} // namespace

PromptImportSheet::PromptImportSheet(SheetHost& host, PromptStore& store, AppLanguageStore& languageStore,
                                     Scheduler& scheduler, FileChooser& fileChooser,
                                     std::optional<QString> initialWorkspaceID,
                                     std::optional<AgentContext> bindingContext, ImportSheetModel::Executor executor,
                                     QWidget* parent)
    : QWidget(parent), m_host(host), m_store(store), m_languageStore(languageStore), m_fileChooser(fileChooser) {
    m_model = new ImportSheetModel(
        store, scheduler, fileChooser, [&languageStore] { return languageStore.resolvedLanguage(); },
        std::move(initialWorkspaceID), std::move(bindingContext), std::move(executor), this);
    build();
    retranslate();
    refreshTargets();
    refresh();
    connect(m_model, &ImportSheetModel::changed, this, &PromptImportSheet::refresh);
    connect(&store, &PromptStore::contentChanged, this, &PromptImportSheet::refreshTargets);
    connect(&languageStore, &AppLanguageStore::selectionChanged, this, [this] {
        retranslate();
        refreshTargets();
        refresh();
    });
}

// The model goes with the sheet: its pause is cancelled and late worker results find nothing.
PromptImportSheet::~PromptImportSheet() = default;

void PromptImportSheet::build() {
    setObjectName(QStringLiteral("promptImportSheet"));
    setFixedSize(fixedWidth, fixedHeight);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::StrongFocus);
    const QFont base = font();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(sheetMargin, sheetMargin, sheetMargin, sheetMargin);
    layout->setSpacing(14);

    m_heading = makeLabel(this, QStringLiteral("importHeading"), sheetFont(base, TextRole::headline));
    layout->addWidget(m_heading);

    // The pack block.
    auto* packBlock = new QVBoxLayout;
    packBlock->setSpacing(8);
    auto* packRow = new QHBoxLayout;
    m_choosePackButton = new QPushButton(this);
    m_choosePackButton->setObjectName(QStringLiteral("choosePackButton"));
    m_installButton = new QPushButton(this);
    m_installButton->setObjectName(QStringLiteral("installPackButton"));
    OrrisHollowsStyle::setBrandLook(m_choosePackButton, ButtonLook::Kind::secondary);
    OrrisHollowsStyle::setBrandLook(m_installButton, ButtonLook::Kind::primary);
    packRow->addWidget(m_choosePackButton);
    packRow->addStretch(1);
    packRow->addWidget(m_installButton);
    packBlock->addLayout(packRow);

    m_packCard = new QFrame(this);
    m_packCard->setObjectName(QStringLiteral("packCard"));
    m_packCard->setStyleSheet(QStringLiteral("#packCard { background: rgba(255, 255, 255, %1); border-radius: 8px; }")
                                  .arg(qAlpha(secondaryFill)));
    m_packCard->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    auto* cardLayout = new QVBoxLayout(m_packCard);
    cardLayout->setContentsMargins(cardPadding, cardPadding, cardPadding, cardPadding);
    cardLayout->setSpacing(4);
    m_packName = makeLabel(m_packCard, QStringLiteral("packName"), sheetFont(base, TextRole::subheadline, true));
    m_packDescription =
        makeLabel(m_packCard, QStringLiteral("packDescription"), sheetFont(base, TextRole::caption), secondaryText);
    m_packSummary =
        makeLabel(m_packCard, QStringLiteral("packSummary"), sheetFont(base, TextRole::caption), secondaryText);
    m_packSamples =
        makeLabel(m_packCard, QStringLiteral("packSampleTitles"), sheetFont(base, TextRole::caption), secondaryText);
    for (QLabel* label : {m_packName, m_packDescription, m_packSummary, m_packSamples}) {
        cardLayout->addWidget(label);
    }
    packBlock->addWidget(m_packCard);
    m_packError = makeLabel(this, QStringLiteral("packError"), sheetFont(base, TextRole::caption), errorText, true);
    packBlock->addWidget(m_packError);
    layout->addLayout(packBlock);

    // The target block.
    m_needsWorkspaceNote =
        makeLabel(this, QStringLiteral("needsWorkspaceNote"), sheetFont(base, TextRole::caption), secondaryText, true);
    layout->addWidget(m_needsWorkspaceNote);
    m_targetRow = new QWidget(this);
    // Only the editor takes the height left over.
    m_targetRow->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    auto* targetBlock = new QVBoxLayout(m_targetRow);
    targetBlock->setContentsMargins(0, 0, 0, 0);
    targetBlock->setSpacing(6);
    m_targetRequiredNote =
        makeLabel(m_targetRow, QStringLiteral("targetRequiredNote"), sheetFont(base, TextRole::caption), noticeText);
    targetBlock->addWidget(m_targetRequiredNote);
    auto* pickerRow = new QHBoxLayout;
    m_targetLabel = makeLabel(m_targetRow, QStringLiteral("targetLabel"), sheetFont(base, TextRole::body));
    m_targetPicker = new QComboBox(m_targetRow);
    m_targetPicker->setObjectName(QStringLiteral("targetPicker"));
    m_targetPicker->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_targetPicker->setMinimumContentsLength(12);
    m_targetLabel->setBuddy(m_targetPicker);
    pickerRow->addWidget(m_targetLabel);
    pickerRow->addWidget(m_targetPicker, 1);
    targetBlock->addLayout(pickerRow);
    layout->addWidget(m_targetRow);

    m_dropHelp = makeLabel(this, QStringLiteral("dropHelp"), sheetFont(base, TextRole::caption), secondaryText, true);
    layout->addWidget(m_dropHelp);

    m_editor = new QPlainTextEdit(this);
    m_editor->setObjectName(QStringLiteral("importTextEditor"));
    InterfaceEnvironment::setScaledFont(m_editor, sheetFont(base, TextRole::body));
    m_editor->setMinimumHeight(180);
    m_editor->setTabChangesFocus(true);
    m_editor->setStyleSheet(
        QStringLiteral("QPlainTextEdit { border: 1px solid rgba(255, 255, 255, %1); border-radius: 8px; }")
            .arg(qAlpha(secondaryStroke)));
    layout->addWidget(m_editor, 1);

    // The preview block.
    auto* previewBlock = new QVBoxLayout;
    previewBlock->setSpacing(8);
    m_countLine = makeLabel(this, QStringLiteral("previewCount"), sheetFont(base, TextRole::subheadline, true));
    previewBlock->addWidget(m_countLine);
    m_previewStack = new QStackedWidget(this);
    m_previewStack->setObjectName(QStringLiteral("previewArea"));
    m_previewStack->setFixedHeight(140);
    auto* emptyPage = new QWidget(m_previewStack);
    auto* emptyLayout = new QVBoxLayout(emptyPage);
    emptyLayout->setContentsMargins(cardPadding, cardPadding, cardPadding, cardPadding);
    m_noPreview =
        makeLabel(emptyPage, QStringLiteral("noPreviewLabel"), sheetFont(base, TextRole::caption), secondaryText, true);
    emptyLayout->addWidget(m_noPreview);
    emptyLayout->addStretch(1);
    m_previewList = new QListWidget(m_previewStack);
    m_previewList->setObjectName(QStringLiteral("previewList"));
    m_previewList->setItemDelegate(new PreviewRowDelegate(m_previewList));
    m_previewList->setFrameShape(QFrame::NoFrame);
    m_previewList->setSelectionMode(QAbstractItemView::NoSelection);
    m_previewList->setUniformItemSizes(true);
    m_previewList->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_previewList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_previewList->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_previewList->viewport()->setAutoFillBackground(false);
    m_previewStack->addWidget(emptyPage);
    m_previewStack->addWidget(m_previewList);
    previewBlock->addWidget(m_previewStack);
    layout->addLayout(previewBlock);

    m_failure = makeLabel(this, QStringLiteral("importFailure"), sheetFont(base, TextRole::caption), errorText, true);
    layout->addWidget(m_failure);

    auto* buttonRow = new QHBoxLayout;
    m_cancelButton = new QPushButton(this);
    m_cancelButton->setObjectName(QStringLiteral("cancelButton"));
    m_importButton = new QPushButton(this);
    m_importButton->setObjectName(QStringLiteral("importButton"));
    m_importButton->setDefault(true);
    OrrisHollowsStyle::setBrandLook(m_cancelButton, ButtonLook::Kind::secondary);
    OrrisHollowsStyle::setBrandLook(m_importButton, ButtonLook::Kind::primary);
    buttonRow->addWidget(m_cancelButton);
    buttonRow->addStretch(1);
    buttonRow->addWidget(m_importButton);
    layout->addLayout(buttonRow);

    setTabOrder(m_choosePackButton, m_installButton);
    setTabOrder(m_installButton, m_targetPicker);
    setTabOrder(m_targetPicker, m_editor);
    setTabOrder(m_editor, m_previewList);
    setTabOrder(m_previewList, m_cancelButton);
    setTabOrder(m_cancelButton, m_importButton);

    connect(m_choosePackButton, &QPushButton::clicked, this, [this] { m_model->choosePromptPack(this); });
    connect(m_installButton, &QPushButton::clicked, this, &PromptImportSheet::importClicked);
    connect(m_importButton, &QPushButton::clicked, this, &PromptImportSheet::importClicked);
    connect(m_cancelButton, &QPushButton::clicked, this, [this] { finish(Outcome::cancelled); });
    connect(m_editor, &QPlainTextEdit::textChanged, this, [this] { m_model->setRawText(m_editor->toPlainText()); });
    connect(m_targetPicker, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!m_syncingTargets) {
            m_model->setTargetWorkspaceID(index < 0 ? QString() : m_targetPicker->itemData(index).toString());
        }
    });
}

void PromptImportSheet::retranslate() {
    const AppLanguage language = m_languageStore.resolvedLanguage();
    const auto text = [language](const QString& key) { return L10n::string(key, language); };
    setWindowTitle(text(L10N("title.import.prompt")));
    setAccessibleName(text(L10N("title.import.prompt")));
    m_heading->setText(text(L10N("title.import.prompt")));
    m_choosePackButton->setText(text(L10N("action.select.pack.file")));
    m_installButton->setText(text(L10N("action.install.as.workspace")));
    m_needsWorkspaceNote->setText(text(L10N("import.needs.workspace")));
    m_targetRequiredNote->setText(text(L10N("import.target.required")));
    m_targetLabel->setText(text(L10N("import.to.workspace")));
    m_dropHelp->setText(text(L10N("import.drop.help")));
    m_noPreview->setText(text(L10N("import.no.preview")));
    m_cancelButton->setText(text(L10N("action.cancel")));
    m_importButton->setText(text(L10N("action.import")));
    m_editor->setAccessibleName(text(L10N("import.text.editor")));
    m_previewList->setAccessibleName(text(L10N("import.preview.list")));
    for (QPushButton* button : {m_choosePackButton, m_installButton, m_cancelButton, m_importButton}) {
        button->setAccessibleName(button->text());
    }
    for (QLabel* label :
         {m_heading, m_needsWorkspaceNote, m_targetRequiredNote, m_targetLabel, m_dropHelp, m_noPreview}) {
        label->setAccessibleName(label->text());
    }
    m_targetPicker->setAccessibleName(text(L10N("import.to.workspace")));
}

void PromptImportSheet::refreshTargets() {
    // Items follow the store in its order, every workspace whatever its source; the model keeps
    // the chosen id.
    m_syncingTargets = true;
    m_targetPicker->clear();
    m_targetPicker->addItem(L10n::string(L10N("common.select.placeholder"), m_languageStore.resolvedLanguage()),
                            QString());
    for (const PromptWorkspace& workspace : m_store.workspaces()) {
        m_targetPicker->addItem(workspace.name, workspace.id);
    }
    m_syncingTargets = false;
    refresh();
}

void PromptImportSheet::refresh() {
    const AppLanguage language = m_languageStore.resolvedLanguage();
    const ImportSheetModel& model = *m_model;

    const std::optional<PromptPackImportPreview>& pack = model.packPreview();
    m_installButton->setVisible(pack.has_value());
    m_packCard->setVisible(pack.has_value());
    if (pack) {
        const int cardWidth = contentWidth - 2 * cardPadding;
        const QString separator = L10n::string(L10N("list.separator"), language);
        m_packName->setText(
            QFontMetrics(m_packName->font()).elidedText(pack->pack.metadata.name, Qt::ElideRight, cardWidth));
        m_packDescription->setVisible(!pack->pack.metadata.description.isEmpty());
        m_packDescription->setText(
            wrappedLines(pack->pack.metadata.description, m_packDescription->font(), cardWidth, 2)
                .join(QLatin1Char('\n')));
        m_packSummary->setText(
            wrappedLines(L10n::string(pack->pack.workspace.prompts.size() == 1 ? L10N("pack.preview.summary.one")
                                                                               : L10N("pack.preview.summary"),
                                      language, pack->pack.workspace.prompts.size(), pack->groups().join(separator)),
                         m_packSummary->font(), cardWidth, 2)
                .join(QLatin1Char('\n')));
        m_packSamples->setText(wrappedLines(pack->sampleTitles().join(separator), m_packSamples->font(), cardWidth, 2)
                                   .join(QLatin1Char('\n')));
        m_packCard->setAccessibleName(pack->pack.metadata.name);
    }
    m_packError->setVisible(model.packError().has_value());
    m_packError->setText(model.packError().value_or(QString()));
    m_packError->setAccessibleName(m_packError->text());

    const bool hasWorkspaces = model.hasWorkspaces();
    m_needsWorkspaceNote->setVisible(!hasWorkspaces);
    m_targetRow->setVisible(hasWorkspaces);
    m_targetRequiredNote->setVisible(model.targetWorkspaceID().isEmpty());
    const int index = model.targetWorkspaceID().isEmpty() ? 0 : m_targetPicker->findData(model.targetWorkspaceID());
    if (m_targetPicker->currentIndex() != std::max(index, 0)) {
        m_syncingTargets = true;
        m_targetPicker->setCurrentIndex(std::max(index, 0));
        m_syncingTargets = false;
    }

    // Fixed heights from their content, so that the sheet's layout never squeezes the card or
    // pads the picker: only the editor takes what is left.
    m_packCard->setFixedHeight(m_packCard->layout()->sizeHint().height());
    m_targetRow->setFixedHeight(m_targetRow->layout()->sizeHint().height());

    refreshPreviews();
    m_failure->setVisible(model.failureMessage().has_value() && !model.failureMessage()->isEmpty());
    m_failure->setText(model.failureMessage().value_or(QString()));
    m_failure->setAccessibleName(m_failure->text());
    m_importButton->setEnabled(model.canImport());
}

void PromptImportSheet::refreshPreviews() {
    const QList<PromptImportPreview>& previews = m_model->importModel().previews();
    m_countLine->setText(
        L10n::string(previews.size() == 1 ? L10N("import.preview.count.one") : L10N("import.preview.count"),
                     m_languageStore.resolvedLanguage(), previews.size()));
    m_countLine->setAccessibleName(m_countLine->text());
    if (previews == m_listedPreviews) {
        return;
    }
    m_listedPreviews = previews;
    m_previewList->clear();
    for (const PromptImportPreview& preview : previews) {
        auto* item = new QListWidgetItem(preview.title, m_previewList);
        item->setData(Qt::UserRole, preview.text.left(drawnCharacters + 1));
        item->setData(Qt::AccessibleTextRole, preview.title);
        item->setFlags(Qt::ItemIsEnabled);
    }
    m_previewStack->setCurrentIndex(previews.isEmpty() ? 0 : 1);
}

void PromptImportSheet::importClicked() {
    const bool installsPack = m_model->packPreview().has_value();
    if (m_model->importContent()) {
        finish(installsPack ? Outcome::installedPack : Outcome::importedPrompts);
    }
}

void PromptImportSheet::finish(Outcome outcome) {
    if (m_finished) {
        return;
    }
    m_finished = true;
    m_model->cancelPendingWork();
    if (onFinished) {
        onFinished(outcome);
    }
    m_host.dismiss(this);
}

void PromptImportSheet::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    m_model->populateTargetWorkspace();
}

void PromptImportSheet::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        // The pack card's lines are wrapped by hand: wrap them again once the new text size has
        // reached the labels (after this root).
        QMetaObject::invokeMethod(this, &PromptImportSheet::refresh, Qt::QueuedConnection);
    }
}

void PromptImportSheet::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Escape:
        finish(Outcome::cancelled);
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // The editor keeps Return for new lines; anywhere else it is the default action.
        if (m_importButton->isEnabled()) {
            importClicked();
        }
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}
