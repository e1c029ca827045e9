// Windows back end of the partial present: WGL offers neither the back
// buffer's age nor a present of rectangles, so every frame is a swap and
// the static layer is copied in whole.
#include "platform/partial_present.h"

#include <GLFW/glfw3.h>

namespace platform {

namespace {

class SwapPresenter : public FramePresenter {
 public:
  explicit SwapPresenter(GLFWwindow* w) : window(w) {}
  int BackBufferAge() override { return 0; }
  void Present(const PresentRect*, int) override { glfwSwapBuffers(window); }

 private:
  GLFWwindow* window;
};

}  // namespace

std::unique_ptr<FramePresenter> MakeWindowPresenter(GLFWwindow* window) {
  return std::unique_ptr<FramePresenter>(new SwapPresenter(window));
}

}  // namespace platform
