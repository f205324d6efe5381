#pragma once

#include <QFrame>

#include <functional>

class QLabel;
class QAbstractButton;

// Tells the user that the project folder carries a prompt file that is used only once trusted:
// the file's name (never its full path), why trust is asked, and the button that trusts it.
// Each press calls `onTrust`; the banner does not hide or disable itself.
class ProjectConfigTrustBanner final : public QFrame {
    Q_OBJECT
public:
    ProjectConfigTrustBanner(const QString& configPath, std::function<void()> onTrust, QWidget* parent = nullptr);

    void setConfigPath(const QString& configPath);
    void setOnTrust(std::function<void()> onTrust) { m_onTrust = std::move(onTrust); }
    void retranslate();
    QAbstractButton* trustButton() const { return m_trust; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::function<void()> m_onTrust;
    QLabel* m_title = nullptr;
    QLabel* m_help = nullptr;
    QLabel* m_fileName = nullptr;
    QAbstractButton* m_trust = nullptr;
};
