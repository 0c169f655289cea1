#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

class TTextMsg;

// The status line: a short message ("Файл скопирован", "Текст не найден")
// shown through every text element whose ident is "statusline". It blinks
// (200 ms off, 200 ms on) and is gone about 8 seconds after show().
class TStatusLine : public QObject {
    Q_OBJECT
public:
    static constexpr int kInterval = 200; // ms between blink steps
    static constexpr int kLastPhase = 40; // the tick at this phase stops the timer

    // `texts` may be null or hold no elements: then the status line does nothing.
    explicit TStatusLine(TTextMsg* texts, QObject* parent = nullptr);

    // Shows `text` and starts blinking anew (also while another message blinks).
    void show(const QString& text);
    // Stops blinking and empties the status-line elements.
    void clear();

    QString message() const { return m_message; }
    int phase() const { return m_phase; }
    bool isBlinking() const { return m_timer.isActive(); }
    const QTimer& timer() const { return m_timer; }

public Q_SLOTS:
    // One blink step (the timer's handler; tests drive it directly).
    void tick();

private:
    bool hasTexts() const;

    QPointer<TTextMsg> m_texts;
    QString m_message;
    int m_phase = 1;
    QTimer m_timer;
};
