#pragma once
// What the enlarged view reads of the window that opens it: the list's items and
// their images in both sizes, the open source, and the item last clicked.
#include <QString>

namespace zor {

class ImageList;

class EnlargedViewSource {
public:
    enum class Kind { File, Folder };

    virtual ~EnlargedViewSource() = default;
    virtual int itemCount() const = 0;
    // Item index (1-based); an index outside the list raises an error.
    virtual QString itemText(int index) const = 0;
    virtual int selectedItem() const = 0;   // 0 = none
    virtual int clickedItem() const = 0;    // 0 = none
    virtual const ImageList& largeImages() const = 0;
    virtual const ImageList& smallImages() const = 0;
    // The path box's text, and what kind of source the list shows.
    virtual QString sourcePath() const = 0;
    virtual Kind sourceKind() const = 0;
};

} // namespace zor
