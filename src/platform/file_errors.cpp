#include "platform/file_errors.h"

namespace brelune {

QString fileErrorText(const QFileDevice& file) {
    switch (file.error()) {
    case QFileDevice::ReadError:
        return QStringLiteral("erreur de lecture sur le disque");
    case QFileDevice::WriteError:
    case QFileDevice::ResourceError:
        return QStringLiteral("erreur d'écriture, le disque est peut-être plein");
    case QFileDevice::PermissionsError:
        return QStringLiteral("accès refusé");
    case QFileDevice::RenameError:
    case QFileDevice::CopyError:
        return QStringLiteral("le fichier ne peut pas être mis en place");
    case QFileDevice::OpenError:
    default:
        return QStringLiteral("le fichier ou son dossier ne peut pas être ouvert ou créé");
    }
}

} // namespace brelune
