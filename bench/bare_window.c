/* A bare full-screen GLFW window that clears and presents one frame: the
 * yardstick of bench/startup.sh, which preloads the start-up probe into it
 * as into lumitick (the probe ends it at its first swap). */
#include <GLFW/glfw3.h>

int main(void) {
  if (!glfwInit()) return 1;
  GLFWmonitor* monitor = glfwGetPrimaryMonitor();
  const GLFWvidmode* mode = glfwGetVideoMode(monitor);
  GLFWwindow* window = glfwCreateWindow(mode->width, mode->height, "bare", monitor, NULL);
  if (!window) return 1;
  glfwMakeContextCurrent(window);
  glfwSwapInterval(1);
  void (*clear)(unsigned int) = (void (*)(unsigned int))glfwGetProcAddress("glClear");
  clear(0x00004000); /* GL_COLOR_BUFFER_BIT */
  glfwSwapBuffers(window);
  glfwTerminate();
  return 0;
}
