#pragma once
// The information panel along the bottom of a hex view: the buffer's size,
// range and sum check, and the cursor with the byte under it. It takes no
// input; it paints the document's current values whenever it is told the
// cursor or the settings changed.

#include "buffer/address.h"

#include <QFrame>

#include <cstdint>

class OBufferDocument;
class OBufferView;

class OMemoryView : public QFrame {
    Q_OBJECT
public:
    OMemoryView(OBufferDocument& document, OBufferView* owner);

    // The cursor as the view last reported it; the panel repaints.
    void SetCursor(Address address);
    Address PanelCursor() const { return cursor_; }
    // Reads "sumcheck" again and repaints.
    void SettingsChanged();
    bool ShowSum() const { return showSum_; }

    // The two lines as painted now.
    QString FirstLine() const;
    QString SecondLine() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    OBufferDocument& doc_;
    Address cursor_ = 0;
    bool showSum_ = false;
};
