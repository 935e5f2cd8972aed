#pragma once
// The strip of persons under the preview while the face tool is chosen: one cell per person
// with its face and whether it is hidden, loading cells while the scan has not reached the
// playhead, empty ones after a scan that found nobody. Picking a person selects it for editing
// and moves the playhead into the part of the video where it is hidden. GUI thread.

#include <QListWidget>
#include <map>
#include <vector>

class EditSession;
struct Image;
enum class FaceCell;

class FaceStrip : public QListWidget {
    Q_OBJECT
public:
    explicit FaceStrip(QWidget* parent = nullptr);
    // The session whose persons to show; null: none.
    void setSession(EditSession* session);
    // Shows the persons as they are now: after a scan report, a move of the playhead or an edit.
    void reload();

private:
    void pick(int row);
    QIcon faceIcon(const std::string& regionId, const Image& thumbnail);

    EditSession* session_ = nullptr;
    std::vector<FaceCell> cells_;
    std::map<std::string, QIcon> icons_;  // by region id: a person's face never changes
};
