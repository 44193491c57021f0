#include "drovix_graph/raster/WriteFailure.h"

#include <cerrno>
#include <cstring>

#include "driver/console/Cp1251.h"

namespace drovix {

std::string WriteFailureCause(int error) {
  switch (error) {
    case 0:
      return Ru("причина неизвестна");
    case ENOSPC:
      return Ru("нет места на диске");
    case EDQUOT:
      return Ru("превышена дисковая квота");
    case EACCES:
    case EPERM:
      return Ru("нет прав на запись");
    case EROFS:
      return Ru("диск доступен только для чтения");
    case ENOENT:
    case ENOTDIR:
      return Ru("такой папки нет");
    case EISDIR:
      return Ru("на месте файла лежит папка");
    case EFBIG:
      return Ru("файл получается слишком большим");
    case ENAMETOOLONG:
      return Ru("слишком длинное имя файла");
    case EMFILE:
    case ENFILE:
      return Ru("открыто слишком много файлов");
    case EIO:
      return Ru("ошибка ввода-вывода");
    case ENOMEM:
      return Ru("не хватило памяти");
    default:
      return Format(Ru("ошибка %d (%s)"), error, std::strerror(error));
  }
}

void RaiseWriteFailure(const std::string& what, int error) {
  throw EWriteFailure(what, WriteFailureCause(error));
}

}  // namespace drovix
