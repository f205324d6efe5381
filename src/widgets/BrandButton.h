#pragma once

#include "widgets/ActionLabelFit.h"
#include "widgets/ButtonLook.h"

#include <QAbstractButton>
#include <QVariantAnimation>

// A push button drawn from a ButtonLook: the brand buttons of sheets and windows and the
// buttons on the island's glass. Its label is the title alone, or an icon and title row in the
// bottom-toolbar or panel-action arrangement. It shrinks while pressed as the look says,
// animated unless the surroundings ask for reduced motion.
class BrandButton : public QAbstractButton {
    Q_OBJECT
public:
    enum class Label {
        plain,
        bottomToolbar, // icon (on an accent circle when primary) and title, spacing 7
        panelAction,   // icon on a tinted circle and a title that shrinks, then elides; spacing 8
    };

    BrandButton(ButtonLook::Kind kind, const QString& title, QWidget* parent = nullptr);

    ButtonLook::Kind kind() const { return m_kind; }
    // isPrimary of the toolbar styles, isDestructive of the settings action.
    void setEmphasis(bool emphasis);
    // The label arrangement, its icon (a symbol name) and its emphasis (primary or accent).
    void setLabel(Label label, const QString& systemImage, bool labelEmphasis);

    ButtonLook look() const;
    // The scale drawn now; moves towards look().scale.
    qreal presentedScale() const { return m_scale; }
    bool isPressAnimating() const { return m_pressAnimation.state() == QAbstractAnimation::Running; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    // The title as it is drawn at the button's present width: whole, or cut with an ellipsis.
    QString shownTitle() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QFont labelFont(const ButtonLook& look) const;
    void pressStateChanged();
    void paintLabel(QPainter& painter, const ButtonLook& look, const QRectF& content) const;
    // How the title fits beside the icon in `content` (the button less its padding).
    ActionLabelFit titleFit(const ButtonLook& look, const QRectF& content) const;

    ButtonLook::Kind m_kind;
    bool m_emphasis = false;
    Label m_label = Label::plain;
    QString m_systemImage;
    bool m_labelEmphasis = false;
    qreal m_scale = 1.0;
    QVariantAnimation m_pressAnimation;
};
