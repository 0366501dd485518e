// A bounded queue between one producing and one consuming thread, and a
// thread that is always joined. The exchange uses them to read or write the
// workbook on a second thread while the first one talks to the data object,
// which belongs to the creating thread.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>

namespace tolvan {

template <class T>
class Canal {
  public:
    explicit Canal(std::size_t capacidad) : capacidad_(capacidad) {}

    // Producer: waits for room. False, with the item dropped, once the
    // consumer has given up.
    bool enviar(T&& v) {
        std::unique_lock l(m_);
        hay_lugar_.wait(l, [&] { return abandonado_ || cola_.size() < capacidad_; });
        if (abandonado_) return false;
        cola_.push_back(std::move(v));
        hay_item_.notify_one();
        return true;
    }
    // Producer: nothing more comes.
    void cerrar() {
        std::lock_guard l(m_);
        cerrado_ = true;
        hay_item_.notify_one();
    }
    // Consumer: waits for the next item; false once the queue is closed and
    // empty, or given up.
    bool recibir(T& v) {
        std::unique_lock l(m_);
        hay_item_.wait(l, [&] { return abandonado_ || cerrado_ || !cola_.empty(); });
        if (abandonado_ || cola_.empty()) return false;
        v = std::move(cola_.front());
        cola_.pop_front();
        hay_lugar_.notify_one();
        return true;
    }
    // Either side: stop; waiting calls on both sides return false.
    void abandonar() {
        std::lock_guard l(m_);
        abandonado_ = true;
        cola_.clear();
        hay_lugar_.notify_all();
        hay_item_.notify_all();
    }

  private:
    std::mutex m_;
    std::condition_variable hay_lugar_, hay_item_;
    std::deque<T> cola_;
    std::size_t capacidad_;
    bool cerrado_ = false;
    bool abandonado_ = false;
};

// A thread that runs `trabajo` and keeps the exception it ends with. The
// destructor runs `detener` (which must make the work end soon) and joins,
// so the thread never outlives what it uses.
class Hilo {
  public:
    Hilo(std::function<void()> trabajo, std::function<void()> detener)
        : detener_(std::move(detener)), t_([this, trabajo = std::move(trabajo)] {
              try {
                  trabajo();
              } catch (...) {
                  error_ = std::current_exception();
              }
          }) {}
    ~Hilo() {
        if (t_.joinable()) {
            detener_();
            t_.join();
        }
    }
    Hilo(const Hilo&) = delete;
    Hilo& operator=(const Hilo&) = delete;

    // Waits for the work to end; its exception, if any, is thrown here.
    void esperar() {
        if (t_.joinable()) t_.join();
        if (error_) std::rethrow_exception(std::exchange(error_, nullptr));
    }

  private:
    std::function<void()> detener_;
    std::exception_ptr error_;
    std::thread t_;  // last: starts once the members above are ready
};

}  // namespace tolvan
