// A picture owned through Pelk::util::SharedPtr, freed by its deleter unless
// it was released to its new owner.
#pragma once

#include "shared_ptr.hpp"

#include <QImage>

namespace Pelk::util {

class Bitmap {
public:
    struct BitmapDeleter {
        void operator()(QImage* bitmap) const { delete bitmap; }
    };

    Bitmap() : pointer_(new QImage) {}

    QImage* get() const { return pointer_.get(); }
    QImage* release() { return pointer_.release(); }

private:
    SharedPtr<QImage, BitmapDeleter> pointer_;
};

}  // namespace Pelk::util
