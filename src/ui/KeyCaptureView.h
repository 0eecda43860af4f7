#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include <QWidget>

class QAbstractButton;
class QLabel;
class QToolButton;

namespace thrumwise {

// Click to arm, then press a key: the control records the key's macOS virtual
// key code and a display name. While armed it watches every key press that
// reaches the application, so Escape, Return, Tab and the arrows are recorded
// like any other key; it stops watching once a key is recorded or it is hidden.
class KeyCaptureView : public QWidget {
    Q_OBJECT

public:
    explicit KeyCaptureView(QWidget* parent = nullptr);
    ~KeyCaptureView() override;

    KeyCaptureView(const KeyCaptureView&) = delete;
    KeyCaptureView& operator=(const KeyCaptureView&) = delete;

    std::optional<std::uint16_t> keyCode() const { return keyCode_; }
    const std::optional<std::string>& keyName() const { return keyName_; }
    bool isCapturing() const { return isCapturing_; }

    // Shows a key recorded earlier, without announcing a change.
    void setKey(std::optional<std::uint16_t> keyCode, std::optional<std::string> keyName);

    // Arms the control; does nothing while it is armed already.
    void startCapture();
    // Disarms it without recording anything.
    void stopCapture();

Q_SIGNALS:
    // A key was recorded, or the user cleared it.
    void keyChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void record(std::optional<std::uint16_t> keyCode, std::optional<std::string> keyName);
    void refresh();

    std::optional<std::uint16_t> keyCode_;
    std::optional<std::string> keyName_;
    bool isCapturing_ = false;

    QAbstractButton* captureButton_;
    QWidget* spinner_;
    QLabel* symbol_;
    QLabel* text_;
    QToolButton* clearButton_;
};

}  // namespace thrumwise
