// Setup's Qt views: frmMain and frmInstalad bound to their logic, and the
// program that passes from one window to the other.
#pragma once

#include <QWidget>
#include <memory>

#include "platform/qt_port.hpp"
#include "setup/ventanas.hpp"

class QComboBox;
class QLabel;
class QPushButton;

namespace setup {

class frmMainView : public QWidget {
    Q_OBJECT
  public:
    explicit frmMainView(frmMain& logica);
    void refrescar();

  signals:
    void siguiente();
    void cancelar();

  private:
    frmMain& logica_;
    QComboBox* Drive1_;
    QPushButton* cmdSiguiente_;
    QPushButton* cmdCancelar_;
};

class frmInstaladView : public QWidget {
    Q_OBJECT
  public:
    explicit frmInstaladView(frmInstalad& logica);
    void refrescar();

  signals:
    void volver();
    void salir();

  private:
    frmInstalad& logica_;
    QLabel* lblDireccion_;
    QLabel* lblEstado_;
    QPushButton* cmdInstalar_;
    QPushButton* cmdVolver_;
    QPushButton* cmdSalir_;
};

// The whole program: frmMain first; "Siguiente" replaces it with frmInstalad,
// "Volver" goes back; "Cancelar" and "Salir" end the program.
class Programa : public QObject {
    Q_OBJECT
  public:
    Programa(std::filesystem::path carpeta_setup, std::vector<std::string> unidades,
             CarpetasUsuario carpetas);
    ~Programa() override;
    void iniciar();

    frmMainView* principal() const { return vista_main_.get(); }
    frmInstaladView* instalacion() const { return vista_instalad_.get(); }
    frmMain& logica_main() { return main_; }
    frmInstalad* logica_instalad() { return instalad_.get(); }

  private:
    void mostrar_main();
    void mostrar_instalad();

    std::filesystem::path carpeta_setup_;
    CarpetasUsuario carpetas_;
    Compartido compartido_;
    platform::QtPort port_;
    frmMain main_;
    std::unique_ptr<frmMainView> vista_main_;
    std::unique_ptr<frmInstalad> instalad_;
    std::unique_ptr<frmInstaladView> vista_instalad_;
};

// Places a window centred on its screen, as both windows are at load.
void centrar(QWidget& ventana);

}  // namespace setup
