#pragma once
// OK and Cancel of the floor-lock editor: a grey frame around a light caption.
#include <QAbstractButton>
#include <QFont>

class FloorDlgB : public QAbstractButton {
    Q_OBJECT
public:
    explicit FloorDlgB(QWidget* parent = nullptr);

    void SetCaption(const QString& caption);
    const QString& GetCaption() const { return m_strCaption; }

    QFont m_font;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_strCaption;
};
