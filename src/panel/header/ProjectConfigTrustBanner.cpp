#include "panel/header/ProjectConfigTrustBanner.h"

#include "model/FilePaths.h"
#include "model/Localization.h"
#include "widgets/accessibility/AccessibleText.h"
#include "widgets/BrandButton.h"
#include "widgets/IslandDesignTokens.h"
#include "widgets/PanelLabel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace {

// The platform orange of warnings; the design tokens have no such colour.
const QColor orange(255, 159, 10);
constexpr int captionPixels = 11;

QLabel* captionLabel(const QString& objectName, const QColor& colour, QWidget* parent) {
    return PanelLabel::make(objectName, captionPixels, colour, parent);
}

} // namespace

ProjectConfigTrustBanner::ProjectConfigTrustBanner(const QString& configPath, std::function<void()> onTrust,
                                                   QWidget* parent)
    : QFrame(parent), m_onTrust(std::move(onTrust)) {
    setObjectName(QStringLiteral("projectConfigTrustBanner"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(8);
    m_title = captionLabel(QStringLiteral("projectConfigFound"), Qt::white, this);
    QFont bold = m_title->font();
    bold.setWeight(QFont::DemiBold);
    m_title->setFont(bold);
    m_help = captionLabel(QStringLiteral("projectConfigHelp"), IslandDesignTokens::white(0.82), this);
    m_help->setWordWrap(true);
    layout->addWidget(m_title);
    layout->addWidget(m_help);

    auto* row = new QHBoxLayout;
    row->setSpacing(8);
    m_fileName = captionLabel(QStringLiteral("projectConfigFileName"), IslandDesignTokens::white(0.72), this);
    QFont mono = m_fileName->font();
    mono.setFamily(QStringLiteral("monospace"));
    mono.setStyleHint(QFont::Monospace);
    m_fileName->setFont(mono);
    row->addWidget(m_fileName, 1);
    auto* trust = new BrandButton(ButtonLook::Kind::primary, QString(), this);
    trust->setObjectName(QStringLiteral("projectConfigTrustButton"));
    QFont buttonFont = trust->font();
    buttonFont.setPixelSize(captionPixels);
    buttonFont.setWeight(QFont::DemiBold);
    trust->setFont(buttonFont);
    trust->setFixedHeight(26);
    trust->setCursor(Qt::PointingHandCursor);
    connect(trust, &QAbstractButton::clicked, this, [this] {
        if (m_onTrust) {
            m_onTrust();
        }
    });
    m_trust = trust;
    row->addWidget(trust);
    layout->addLayout(row);
    setConfigPath(configPath);
    retranslate();
}

void ProjectConfigTrustBanner::setConfigPath(const QString& configPath) {
    m_fileName->setText(FilePaths::lastComponent(configPath));
}

void ProjectConfigTrustBanner::retranslate() {
    m_title->setText(L10n::string(L10N("project.config.found"), std::nullopt));
    m_help->setText(L10n::string(L10N("project.config.trust.help"), std::nullopt));
    const QString trust = L10n::string(L10N("action.trust"), std::nullopt);
    m_trust->setText(trust);
    AccessibleText::setName(m_trust, trust);
    AccessibleText::setName(this, m_title->text());
}

void ProjectConfigTrustBanner::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 18, 18);
    painter.fillPath(shape, IslandDesignTokens::withOpacity(orange, 0.18));
    painter.setPen(QPen(IslandDesignTokens::withOpacity(orange, 0.32), 1));
    painter.drawPath(shape);
}
