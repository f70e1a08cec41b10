#include "report/photo_queue.h"

#include "pictures/jpeg_decode.h"

namespace report {

PhotoQueue::PhotoQueue(std::vector<QString> files, QSize box)
    : files_(std::move(files)), box_(box), ready_(files_.size()) {
    if (!files_.empty()) worker_ = std::thread([this] { work(); });
}

PhotoQueue::~PhotoQueue() {
    {
        std::lock_guard<std::mutex> g(lock_);
        stop_ = true;
    }
    changed_.notify_all();
    if (worker_.joinable()) worker_.join();
}

void PhotoQueue::work() {
    for (std::size_t i = 0; i < files_.size(); ++i) {
        {
            // At most one picture waits beside the one being drawn.
            std::unique_lock<std::mutex> g(lock_);
            changed_.wait(g, [&] { return stop_ || i <= taken_ + 1; });
            if (stop_) return;
        }
        QImage image;
        try {
            image = pictures::DecodeJpegToFit(files_[i], box_.width(), box_.height()).image;
        } catch (...) {
            // Out of memory for this one: it is drawn as missing.
        }
        {
            std::lock_guard<std::mutex> g(lock_);
            ready_[i] = std::move(image);
            decoded_ = i + 1;
        }
        changed_.notify_all();
    }
}

QImage PhotoQueue::take() {
    std::unique_lock<std::mutex> g(lock_);
    if (taken_ >= files_.size()) return {};
    const std::size_t i = taken_;
    changed_.wait(g, [&] { return decoded_ > i; });
    QImage image = std::move(ready_[i]);
    ready_[i] = QImage();
    ++taken_;
    g.unlock();
    changed_.notify_all();
    return image;
}

} // namespace report
