#pragma once
// Answers a modal dialog that the code under test opens with exec(): a timer looks for the
// active modal window of the expected type and hands it to the test's answer, which closes it.
// The code under test runs unchanged, its dialogs included.

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <functional>

template <typename Dialog>
class ModalAnswer {
public:
    explicit ModalAnswer(std::function<void(Dialog&)> answer) : m_answer(std::move(answer))
    {
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
            if (!dialog || !dialog->isVisible())
                return;
            ++m_count;
            m_answer(*dialog);
        });
        m_timer.start();
    }
    ModalAnswer(const ModalAnswer&) = delete;
    ModalAnswer& operator=(const ModalAnswer&) = delete;

    // How many dialogs were answered.
    int Count() const { return m_count; }

private:
    std::function<void(Dialog&)> m_answer;
    QTimer m_timer;
    int m_count = 0;
};

// Presses OK in every message box and keeps their texts.
class MessageBoxAnswer {
public:
    MessageBoxAnswer()
        : m_answer([this](QMessageBox& box) {
              m_texts << box.text();
              m_icons << box.icon();
              box.button(QMessageBox::Ok) ? box.button(QMessageBox::Ok)->click() : box.accept();
          })
    {
    }
    const QStringList& Texts() const { return m_texts; }
    const QList<QMessageBox::Icon>& Icons() const { return m_icons; }

private:
    QStringList m_texts;
    QList<QMessageBox::Icon> m_icons;
    ModalAnswer<QMessageBox> m_answer;
};
