#include "update_check/rules/builtin_translations.h"

// Source file in UTF-8. The status texts (151, 153, 155, 156, 158, 160) stand in a static
// control that does not wrap: their lines are broken by hand to fit its width, at most four
// lines. The buttons' texts (149, 150, 152, 154, 157) fit a button of the English width.
// 164 and 165 are shown in message boxes, which wrap on their own.
namespace orv::translations {

const text_table german = {{
    {149, L"Abrufen"},
    {150, L"Nicht jetzt"},
    {151,
     L"Ein Update ist verfügbar.\n\nSie können die neue Version jetzt herunterladen\nund "
     L"installieren."},
    {152, L"Online prüfen"},
    {153,
     L"Keine Verbindung zum Updateserver möglich.\n\nPrüfen Sie Ihre Internetverbindung, oder "
     L"klicken Sie\nunten auf „Online prüfen“, um im Browser nachzusehen."},
    {154, L"Fertig stellen"},
    {155, L"Zurzeit ist kein Update verfügbar."},
    {156, L"\nVerbindung zum Server. Versuch %i..."},
    {157, L"Abbrechen"},
    {158, L"\nVerbindung zum Server wird hergestellt..."},
    {159, L"Fehler"},
    {160, L"\nDatei wird heruntergeladen..."},
    {161, L"Nach Updates suchen"},
    {162, L"Automatisch nach Updates suchen"},
    {163, L"Die heruntergeladene Datei konnte nicht überprüft werden und wurde nicht geöffnet."},
    {164,
     L"Das Update wurde nicht heruntergeladen, weil sein Ordner nicht geschützt ist:\n%s\n\n"
     L"Ein Administrator sollte diesen Ordner löschen. Die nächste Suche legt ihn neu an, "
     L"dann nur von Administratoren änderbar."},
    {165,
     L"Zum Installieren dieses Updates sind Administratorrechte erforderlich. Bitten Sie "
     L"einen Administrator, es zu installieren, oder starten Sie das Programm als "
     L"Administrator, und suchen Sie erneut."},
}};

const text_table french = {{
    {149, L"Obtenir"},
    {150, L"Plus tard"},
    {151,
     L"Une mise à jour est disponible.\n\nVous pouvez télécharger et installer la nouvelle "
     L"version\ndès maintenant."},
    {152, L"Voir en ligne"},
    {153,
     L"Impossible de se connecter au serveur de mise à jour.\n\nVérifiez votre connexion "
     L"Internet, ou cliquez sur Voir en ligne\npour rechercher une mise à jour dans le "
     L"navigateur."},
    {154, L"Terminer"},
    {155, L"Aucune mise à jour n'est disponible pour le moment."},
    {156, L"\nConnexion au serveur. Tentative n° %i..."},
    {157, L"Annuler"},
    {158, L"\nConnexion au serveur..."},
    {159, L"Erreur"},
    {160, L"\nTéléchargement du fichier..."},
    {161, L"Rechercher les mises à jour"},
    {162, L"Rechercher automatiquement les mises à jour"},
    {163, L"Le fichier téléchargé n'a pas pu être vérifié et n'a pas été ouvert."},
    {164,
     L"La mise à jour n'a pas été téléchargée, car son dossier n'est pas protégé :\n%s\n\n"
     L"Un administrateur doit supprimer ce dossier. La prochaine recherche le recrée, "
     L"modifiable uniquement par les administrateurs."},
    {165,
     L"Les droits d'administrateur sont nécessaires pour installer cette mise à jour. "
     L"Demandez à un administrateur de l'installer, ou exécutez le programme en tant "
     L"qu'administrateur et recommencez la recherche."},
}};

const text_table spanish = {{
    {149, L"Obtener"},
    {150, L"Ahora no"},
    {151,
     L"Hay una actualización disponible.\n\nPuede descargar e instalar una nueva versión "
     L"ahora."},
    {152, L"Ver en línea"},
    {153,
     L"No se pudo conectar con el servidor de actualizaciones.\n\nCompruebe la conexión a "
     L"Internet o haga clic en Ver en línea\npara buscar una actualización en el explorador."},
    {154, L"Finalizar"},
    {155, L"No hay ninguna actualización disponible en este momento."},
    {156, L"\nConectando con el servidor. Reintento n.º %i..."},
    {157, L"Cancelar"},
    {158, L"\nConectando con el servidor..."},
    {159, L"Error"},
    {160, L"\nDescargando archivo..."},
    {161, L"Buscar actualizaciones"},
    {162, L"Buscar actualizaciones automáticamente"},
    {163, L"No se pudo comprobar el archivo descargado, por lo que no se ha abierto."},
    {164,
     L"La actualización no se descargó porque su carpeta no está protegida:\n%s\n\n"
     L"Un administrador debe eliminar esta carpeta. La próxima búsqueda la volverá a crear "
     L"y solo los administradores podrán cambiarla."},
    {165,
     L"Se necesitan derechos de administrador para instalar esta actualización. Pida a un "
     L"administrador que la instale, o inicie el programa como administrador y vuelva a "
     L"buscar."},
}};

const text_table portuguese_brazil = {{
    {149, L"Obter"},
    {150, L"Agora não"},
    {151, L"Há uma atualização disponível.\n\nVocê pode baixar e instalar uma nova versão agora."},
    {152, L"Ver online"},
    {153,
     L"Não foi possível conectar ao servidor de atualização.\n\nVerifique sua conexão com a "
     L"Internet ou clique em Ver online\npara procurar atualizações no navegador."},
    {154, L"Concluir"},
    {155, L"Nenhuma atualização disponível no momento."},
    {156, L"\nConectando ao servidor. Tentativa %i..."},
    {157, L"Cancelar"},
    {158, L"\nConectando ao servidor..."},
    {159, L"Erro"},
    {160, L"\nBaixando arquivo..."},
    {161, L"Verificar se há atualizações"},
    {162, L"Verificar se há atualizações automaticamente"},
    {163, L"Não foi possível verificar o arquivo baixado, e ele não foi aberto."},
    {164,
     L"A atualização não foi baixada porque a pasta dela não está protegida:\n%s\n\n"
     L"Um administrador deve excluir esta pasta. A próxima verificação a criará novamente, "
     L"e somente administradores poderão alterá-la."},
    {165,
     L"São necessários direitos de administrador para instalar esta atualização. Peça a um "
     L"administrador que a instale ou execute o programa como administrador e verifique "
     L"novamente."},
}};

const text_table japanese = {{
    {149, L"入手"},
    {150, L"後で"},
    {151,
     L"更新プログラムを利用できます。\n\n新しいバージョンを今すぐダウンロードして\n"
     L"インストールできます。"},
    {152, L"Web で確認"},
    {153,
     L"更新サーバーに接続できませんでした。\n\nインターネット接続を確認するか、下の "
     L"[Web で確認] を\nクリックして Web ブラウザーで更新を確認してください。"},
    {154, L"完了"},
    {155, L"現在利用できる更新はありません。"},
    {156, L"\nサーバーに接続しています。再試行 %i 回目..."},
    {157, L"キャンセル"},
    {158, L"\nサーバーに接続しています..."},
    {159, L"エラー"},
    {160, L"\nファイルをダウンロードしています..."},
    {161, L"更新プログラムの確認"},
    {162, L"更新プログラムを自動的に確認する"},
    {163, L"ダウンロードしたファイルを検証できなかったため、開きませんでした。"},
    {164,
     L"フォルダーが保護されていないため、更新プログラムはダウンロードされませんでした:\n%s\n\n"
     L"管理者がこのフォルダーを削除してください。次回の確認時に、管理者だけが変更できる"
     L"フォルダーとして作成し直されます。"},
    {165,
     L"この更新プログラムをインストールするには管理者権限が必要です。管理者にインストールを"
     L"依頼するか、管理者としてプログラムを実行してからもう一度確認してください。"},
}};

const text_table korean = {{
    {149, L"받기"},
    {150, L"나중에"},
    {151, L"업데이트를 사용할 수 있습니다.\n\n지금 새 버전을 다운로드하여 설치할 수 있습니다."},
    {152, L"온라인 확인"},
    {153,
     L"업데이트 서버에 연결할 수 없습니다.\n\n인터넷 연결을 확인하거나 아래의 [온라인 확인]을 "
     L"클릭하여\n웹 브라우저에서 업데이트를 확인하십시오."},
    {154, L"마침"},
    {155, L"현재 사용할 수 있는 업데이트가 없습니다."},
    {156, L"\n서버에 연결하는 중입니다. 다시 시도 #%i..."},
    {157, L"취소"},
    {158, L"\n서버에 연결하는 중..."},
    {159, L"오류"},
    {160, L"\n파일을 다운로드하는 중..."},
    {161, L"업데이트 확인"},
    {162, L"자동으로 업데이트 확인"},
    {163, L"다운로드한 파일을 확인할 수 없어 열지 않았습니다."},
    {164,
     L"폴더가 보호되지 않아 업데이트를 다운로드하지 않았습니다.\n%s\n\n관리자가 이 폴더를 "
     L"삭제해야 합니다. 다음 확인 때 관리자만 변경할 수 있는 폴더로 다시 만들어집니다."},
    {165,
     L"이 업데이트를 설치하려면 관리자 권한이 필요합니다. 관리자에게 설치를 요청하거나, "
     L"관리자 권한으로 프로그램을 실행한 다음 다시 확인하십시오."},
}};

}  // namespace orv::translations
