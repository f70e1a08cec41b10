#include "report/photo_queue.h"

#include <algorithm>

namespace report {

PhotoQueue::PhotoQueue(std::vector<QString> files, QSize box, const QString& programFolder)
    : files_(std::move(files)), box_(box), cache_(programFolder), ready_(files_.size()),
      done_(files_.size(), 0) {
    const std::size_t cores = std::max(1u, std::thread::hardware_concurrency());
    const std::size_t count = std::min({cores, std::size_t{4}, files_.size()});
    ahead_ = std::max<std::size_t>(1, count);
    for (std::size_t i = 0; i < count; ++i)
        workers_.emplace_back([this] { work(); });
}

PhotoQueue::~PhotoQueue() {
    {
        std::lock_guard<std::mutex> g(lock_);
        stop_ = true;
    }
    changed_.notify_all();
    for (std::thread& t : workers_)
        t.join();
}

void PhotoQueue::work() {
    for (;;) {
        std::size_t i = 0;
        {
            std::unique_lock<std::mutex> g(lock_);
            changed_.wait(g, [&] {
                return stop_ || claimed_ >= files_.size() || claimed_ <= taken_ + ahead_;
            });
            if (stop_ || claimed_ >= files_.size()) return;
            i = claimed_++;
        }
        QImage image;
        try {
            image = cache_.load(files_[i], box_.width(), box_.height()).picture.image;
        } catch (...) {
            // Out of memory for this one: it is drawn as missing.
        }
        {
            std::lock_guard<std::mutex> g(lock_);
            ready_[i] = std::move(image);
            done_[i] = 1;
        }
        changed_.notify_all();
    }
}

QImage PhotoQueue::take() {
    std::unique_lock<std::mutex> g(lock_);
    if (taken_ >= files_.size()) return {};
    const std::size_t i = taken_;
    changed_.wait(g, [&] { return done_[i] != 0; });
    QImage image = std::move(ready_[i]);
    ready_[i] = QImage();
    ++taken_;
    g.unlock();
    changed_.notify_all();
    return image;
}

} // namespace report
